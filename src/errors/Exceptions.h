// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own exceptions, one class for each kind of thing that fails. The exception
// window shows the name of an exception's most-derived class.
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

class EOrvelError : public std::exception
{
public:
    explicit EOrvelError(const QString &message);
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The configuration file cannot be parsed or holds what the program cannot read.
class EXmlFileError : public EOrvelError
{
public:
    using EOrvelError::EOrvelError;
};

// A file or folder cannot be written or read.
class EFileSystemError : public EOrvelError
{
public:
    using EOrvelError::EOrvelError;
};

// The database client reported a failure (connection, login, SQL command).
class EDatabaseError : public EOrvelError
{
public:
    using EOrvelError::EOrvelError;
};

// The name of the exception's most-derived class, as the program names it.
QString ExceptionClassName(const std::exception &error);
// The message of any exception: ours as given, others from what().
QString ExceptionMessage(const std::exception &error);
