// SPDX-License-Identifier: GPL-3.0-or-later
// The two connection-string templates and the rule that picks one from the connection fields.
#pragma once

#include <QString>

class cParameters;
struct rConnection;

extern const QString SqlLoginTemplate;
extern const QString IntegratedSecurityTemplate;

// The four connection fields of the Configuration dialog, as typed.
struct ConnectionFields {
    QString server;
    QString catalog;
    QString user;
    QString password;
};

// Every "%name%" of the template replaced, line by line, by the value that the lookup of that
// line's name gives; case-sensitive, no quoting.
QString getConnectionString(const QString &templateText, const cParameters &params);

// The connection string of a connection check: a list of its own (catalog, server, then user and
// password when the user is not empty) fills the template that the user field picks.
QString CheckConnectionString(const ConnectionFields &fields);

// Saving: the connection's own list is emptied and refilled (server, catalog, then user and
// password when the user is not empty) and the template is set accordingly.
void SaveConnectionFields(rConnection &connection, const ConnectionFields &fields);
