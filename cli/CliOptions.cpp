#include "cli/CliOptions.h"

#include "cli/CliHelpTexts.h"
#include "recorder/ConnectionFields.h"

namespace kavrin::cli {

namespace {

std::optional<uint32_t> parseNumber(const QString& text) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFF'FFFFull || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return uint32_t(value);
}

std::optional<Command> commandNamed(const QString& name) {
    if (name == QLatin1String("events"))
        return Command::Events;
    if (name == QLatin1String("contexts"))
        return Command::Contexts;
    if (name == QLatin1String("info"))
        return Command::Info;
    if (name == QLatin1String("export"))
        return Command::Export;
    if (name == QLatin1String("overview"))
        return Command::Overview;
    if (name == QLatin1String("check"))
        return Command::Check;
    if (name == QLatin1String("diff"))
        return Command::Diff;
    if (name == QLatin1String("record"))
        return Command::Record;
    if (name == QLatin1String("help") || name == QLatin1String("--help") ||
        name == QLatin1String("-h"))
        return Command::Help;
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(const QStringList& arguments) : args_(arguments) {}

    ParseResult run() {
        if (args_.isEmpty())
            return fail(QStringLiteral("no command given"));
        const std::optional<Command> command = commandNamed(args_[0]);
        if (!command)
            return fail(QStringLiteral("unknown command \"%1\"").arg(args_[0]));
        result_.options.command = *command;
        if (*command == Command::Help) {
            result_.options.helpTopic = args_.value(1);
            return result_;
        }
        QStringList positional;
        for (at_ = 1; at_ < args_.size(); ++at_) {
            const QString& arg = args_[at_];
            if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
                result_.options.helpTopic = args_[0];
                result_.options.command = Command::Help;
                return result_;
            }
            if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
                positional << arg;
                continue;
            }
            if (!option(arg))
                return result_;
        }
        return finish(positional);
    }

private:
    ParseResult fail(const QString& error) {
        result_.error = error;
        return result_;
    }

    std::optional<QString> value(const QString& option) {
        if (at_ + 1 >= args_.size()) {
            result_.error = QStringLiteral("%1 needs a value").arg(option);
            return std::nullopt;
        }
        return args_[++at_];
    }

    bool number(const QString& option, std::optional<uint32_t>& target) {
        const std::optional<QString> text = value(option);
        if (!text)
            return false;
        target = parseNumber(*text);
        if (!target)
            result_.error = QStringLiteral("%1: \"%2\" is not a number").arg(option, *text);
        return target.has_value();
    }

    bool allowedFor(const QString& option, Command command) {
        if (result_.options.command == command)
            return true;
        result_.error = QStringLiteral("%1 is not an option of %2").arg(option, args_[0]);
        return false;
    }

    // The value of an option of `command`; none, with the error set, for another command or
    // when the value is missing.
    std::optional<QString> valueFor(const QString& option, Command command) {
        if (!allowedFor(option, command))
            return std::nullopt;
        return value(option);
    }

    bool option(const QString& arg) {
        CliOptions& options = result_.options;
        if (arg == QLatin1String("--resolution")) {
            std::optional<uint32_t> digits;
            if (!number(arg, digits))
                return false;
            if (*digits < 6 || *digits > 9) {
                result_.error = QStringLiteral("--resolution must be 6, 7, 8 or 9");
                return false;
            }
            options.resolution = int(*digits);
            return true;
        }
        if (arg == QLatin1String("--first"))
            return allowedFor(arg, Command::Events) && number(arg, options.first);
        if (arg == QLatin1String("--count"))
            return allowedFor(arg, Command::Events) && number(arg, options.count);
        if (arg == QLatin1String("--bins")) {
            if (!allowedFor(arg, Command::Overview) || !number(arg, options.bins))
                return false;
            if (*options.bins == 0)
                result_.error = QStringLiteral("--bins must be at least 1");
            return result_.error.isEmpty();
        }
        if (arg == QLatin1String("--system-time")) {
            options.systemTime = true;
            return allowedFor(arg, Command::Events);
        }
        if (arg == QLatin1String("--format")) {
            const std::optional<QString> name = valueFor(arg, Command::Export);
            if (!name)
                return false;
            if (*name == QLatin1String("csv"))
                options.format = ExportFormat::Csv;
            else if (*name == QLatin1String("json"))
                options.format = ExportFormat::Json;
            else if (*name == QLatin1String("chrome"))
                options.format = ExportFormat::Chrome;
            else {
                result_.error = QStringLiteral("unknown format \"%1\"").arg(*name);
                return false;
            }
            formatGiven_ = true;
            return true;
        }
        if (recordOption(arg) || checkOption(arg))
            return result_.error.isEmpty();
        if (arg == QLatin1String("--threshold")) {
            const std::optional<QString> percent = valueFor(arg, Command::Diff);
            if (!percent)
                return false;
            const std::optional<Quantity> parsed = parsePercent(*percent);
            if (!parsed)
                result_.error = QStringLiteral("--threshold: \"%1\" is not a percentage such as "
                                               "10 or 2.5%")
                                    .arg(*percent);
            else
                options.threshold = parsed->value;
            return parsed.has_value();
        }
        result_.error = QStringLiteral("unknown option %1").arg(arg);
        return false;
    }

    bool text(const QString& option, std::optional<QString>& target) {
        target = value(option);
        return target.has_value();
    }

    bool text(const QString& option, QString& target) {
        const std::optional<QString> given = value(option);
        target = given.value_or(QString());
        return given.has_value();
    }

    bool exclusive(const QString& option, bool otherGiven, const char* other) {
        if (otherGiven)
            result_.error = QStringLiteral("%1 and %2 exclude each other").arg(option, other);
        return !otherGiven;
    }

    // The options of record; false when `arg` is none of them. A problem is left in the error.
    bool recordOption(const QString& arg) {
        RecordOptions& record = result_.options.record;
        const auto is = [&arg](const char* name) { return arg == QLatin1String(name); };
        if (!is("--duration") && !is("--events") && !is("--device") && !is("--interface") &&
            !is("--speed") && !is("--usb") && !is("--ip") && !is("--address") && !is("--search") &&
            !is("--title") && !is("--author") && !is("--description"))
            return false;
        if (!allowedFor(arg, Command::Record))
            return true;
        if (is("--duration")) {
            const std::optional<QString> seconds = value(arg);
            bool ok = false;
            const double parsed = seconds ? seconds->toDouble(&ok) : 0;
            if (seconds && (!ok || !(parsed > 0)))
                result_.error = QStringLiteral("--duration: \"%1\" is not a positive number of "
                                               "seconds")
                                    .arg(*seconds);
            record.durationSeconds = parsed;
        } else if (is("--events")) {
            number(arg, record.events);
        } else if (is("--speed")) {
            number(arg, record.speed);
        } else if (is("--usb")) {
            if (exclusive(arg, record.ip.has_value(), "--ip"))
                number(arg, record.usbSerial);
        } else if (is("--ip")) {
            if (exclusive(arg, record.usbSerial.has_value(), "--usb"))
                text(arg, record.ip);
        } else if (is("--interface")) {
            const std::optional<QString> name = value(arg);
            if (name && (*name == QLatin1String("JTAG") || *name == QLatin1String("SWD")))
                record.targetInterface = *name == QLatin1String("JTAG") ? 0 : 1;
            else if (name)
                result_.error = QStringLiteral("--interface must be JTAG or SWD");
        } else if (is("--address")) {
            if (exclusive(arg, record.searchRanges.has_value(), "--search") &&
                text(arg, record.address) &&
                (record.address->isEmpty() || !parseControlBlockAddress(*record.address)))
                result_.error =
                    QStringLiteral("--address: \"%1\" is not hexadecimal").arg(*record.address);
        } else if (is("--search")) {
            if (exclusive(arg, record.address.has_value(), "--address"))
                text(arg, record.searchRanges);
        } else if (is("--device")) {
            text(arg, record.device);
        } else if (is("--title")) {
            text(arg, record.title);
        } else if (is("--author")) {
            text(arg, record.author);
        } else {
            text(arg, record.description);
        }
        return true;
    }

    // The rules of check and --junit; false when `arg` is none of them. A problem is left in
    // the error.
    bool checkOption(const QString& arg) {
        bool takesValue = false;
        const bool rule = isRuleOption(arg, &takesValue);
        if (!rule && arg != QLatin1String("--junit"))
            return false;
        if (!allowedFor(arg, Command::Check))
            return true;
        if (!rule) {
            text(arg, result_.options.junit);
            return true;
        }
        const std::optional<QString> given = takesValue ? value(arg) : QString();
        if (!given)
            return true;
        if (const std::optional<Rule> parsed = parseRule(arg, *given, &result_.error))
            result_.options.rules.push_back(*parsed);
        return true;
    }

    ParseResult finish(const QStringList& positional) {
        CliOptions& options = result_.options;
        if (options.command == Command::Record) {
            if (positional.isEmpty())
                return fail(QStringLiteral("no output file given"));
            if (positional.size() > 1)
                return fail(QStringLiteral("unexpected argument \"%1\"").arg(positional[1]));
            options.output = positional[0];
            return result_;
        }
        const bool twoFiles =
            options.command == Command::Export || options.command == Command::Diff;
        const qsizetype wanted = twoFiles ? 2 : 1;
        if (positional.isEmpty())
            return fail(QStringLiteral("no recording file given"));
        if (positional.size() < wanted)
            return fail(options.command == Command::Diff
                            ? QStringLiteral("diff needs two recordings")
                            : QStringLiteral("no output file given"));
        if (positional.size() > wanted)
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(positional[wanted]));
        if (options.command == Command::Export && !formatGiven_)
            return fail(QStringLiteral("export needs --format csv|json|chrome"));
        if (options.command == Command::Check && options.rules.empty())
            return fail(QStringLiteral("check needs at least one rule"));
        options.file = positional[0];
        (options.command == Command::Diff ? options.secondFile : options.output) =
            positional.value(1);
        return result_;
    }

    const QStringList& args_;
    qsizetype at_ = 0;
    bool formatGiven_ = false;
    ParseResult result_;
};

} // namespace

ParseResult parseArguments(const QStringList& arguments) {
    return Parser(arguments).run();
}

QString helpText(const QString& topic) {
    for (const help::Topic& known : help::Topics)
        if (topic == QLatin1String(known.name))
            return QString::fromUtf8(known.text);
    return QString::fromUtf8(help::Topics[0].text);
}

} // namespace kavrin::cli
