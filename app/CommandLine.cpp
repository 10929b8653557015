#include "app/CommandLine.h"

#include <optional>

namespace kavrin {

namespace {

// Leading decimal digits; none gives 0.
int leadingNumber(const QString& text) {
    int value = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || value > 100'000'000)
            break;
        value = value * 10 + c.digitValue();
    }
    return value;
}

} // namespace

QString parseCommandLine(const QStringList& arguments, ConnectionSettings& connection) {
    QString file;
    // An option that takes a value consumes the next argument, whatever it looks like.
    const auto takeValue = [&arguments](qsizetype& i) -> std::optional<QString> {
        if (i + 1 >= arguments.size())
            return std::nullopt;
        return arguments[++i];
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("-swd")) {
            connection.targetInterface = 1;
        } else if (argument == QLatin1String("-jtag")) {
            connection.targetInterface = 0;
        } else if (argument == QLatin1String("-device")) {
            connection.device = takeValue(i).value_or(QString());
        } else if (argument == QLatin1String("-speed")) {
            const std::optional<QString> value = takeValue(i);
            connection.speed = value ? leadingNumber(*value) : 8000;
        } else if (argument == QLatin1String("-tarnboard")) {
            connection.device = QStringLiteral("MK66FN2M0XXX18");
            connection.targetInterface = 1;
            connection.speed = 2000;
        } else if (argument == QLatin1String("-searchrange")) {
            connection.searchRange = takeValue(i).value_or(QString());
        } else if (!argument.startsWith(u'-')) {
            file = argument;
        }
    }
    return file;
}

} // namespace kavrin
