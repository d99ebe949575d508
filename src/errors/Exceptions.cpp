// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/Exceptions.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

EOrvelError::EOrvelError(const QString &message) : m_message(message), m_utf8(message.toUtf8()) {}

QString ExceptionClassName(const std::exception &error)
{
    const char *mangled = typeid(error).name();
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return QString::fromUtf8(status == 0 && demangled ? demangled.get() : mangled);
}

QString ExceptionMessage(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const EOrvelError *>(&error))
        return own->message();
    return QString::fromUtf8(error.what());
}
