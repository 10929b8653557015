#pragma once

#include <QString>

#include <cstdio>
#include <span>

namespace kavrin::cli {

// A text as one field of one line: backslash, TAB, CR and LF become \\, \t, \r and \n.
QString escapeField(const QString& text);

// The fields, escaped, joined by TAB, as one UTF-8 line.
void writeFields(std::FILE* out, std::span<const QString> fields);

} // namespace kavrin::cli
