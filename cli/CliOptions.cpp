#include "cli/CliOptions.h"

#include "recorder/ConnectionFields.h"

namespace kavrin::cli {

namespace {

const char* const Overview =
    "usage: kavrin-cli COMMAND FILE [OPTIONS]\n"
    "\n"
    "Opens a recording as the main window does (analysis pass, load pass) and prints it.\n"
    "\n"
    "commands:\n"
    "  events FILE    one line per event of the window: #, Timestamp, Context, Event, Detail\n"
    "  contexts FILE  one line per row of the contexts list\n"
    "  info FILE      one line per row of the system information: Group/Row, value\n"
    "  export FILE --format csv|json|chrome OUT\n"
    "                 every event of the recording into OUT\n"
    "  record OUT     records from the target through the probe library into OUT\n"
    "  help [COMMAND] this text, or the help of one command\n"
    "\n"
    "options of every command:\n"
    "  --resolution 6|7|8|9  decimal places of seconds in times (default 7)\n"
    "\n"
    "Fields are separated by one TAB; backslash, TAB, CR and LF in texts are written as\n"
    "\\\\, \\t, \\r and \\n. Exit status: 0 success (also when the stream breaks off: stderr\n"
    "says where), 1 usage error, 2 the file cannot be opened or read (record: OUT cannot be\n"
    "written), 3 no recording started, 4 a recording ended by a fault.\n";

const char* const EventsHelp =
    "usage: kavrin-cli events FILE [--first N] [--count N] [--resolution 6|7|8|9] [--system-time]\n"
    "\n"
    "Prints the events of the window as the event list shows them, one per line:\n"
    "#, Timestamp, Context, Event and Detail joined by TAB.\n"
    "\n"
    "  --first N      start at the first stored event whose index (0-based) is N or more,\n"
    "                 moving the window as needed; without it, the first window\n"
    "  --count N      print at most N events (moving the window on as needed)\n"
    "  --resolution D decimal places of seconds in times, 6 to 9 (default 7)\n"
    "  --system-time  timestamps since the start of the recording\n";

const char* const ContextsHelp =
    "usage: kavrin-cli contexts FILE [--resolution 6|7|8|9]\n"
    "\n"
    "Prints the contexts list once the file is open: one line per row, its 15 texts\n"
    "joined by TAB, in list order.\n";

const char* const InfoHelp =
    "usage: kavrin-cli info FILE [--resolution 6|7|8|9]\n"
    "\n"
    "Prints the system information once the file is open: one line per value row,\n"
    "Group/Row, TAB, value; overflow rows as ZTX/Overflows/#N.\n";

const char* const RecordHelp =
    "usage: kavrin-cli record OUT [--duration SECONDS] [--events N] [--device NAME]\n"
    "         [--interface JTAG|SWD] [--speed KHZ] [--usb SERIAL | --ip HOST[:PORT]]\n"
    "         [--address HEX | --search RANGES] [--title T] [--author A] [--description D]\n"
    "\n"
    "Records from the target through the probe library as the window's recording does,\n"
    "until the duration or the event count is reached or SIGINT or SIGTERM arrives (a clean\n"
    "stop that keeps every byte received), then writes OUT as a data file: the header with\n"
    "title, author and description, then the stream. The user's settings are not read.\n"
    "\n"
    "  --duration SECONDS  stop after this long (decimals allowed)\n"
    "  --events N          stop once N events were recorded\n"
    "  --device NAME       target device (default: the probe library's first device)\n"
    "  --interface I       JTAG or SWD (default SWD)\n"
    "  --speed KHZ         interface speed (default 8000)\n"
    "  --usb SERIAL        the USB probe with this serial number (default: any USB probe)\n"
    "  --ip HOST[:PORT]    a network probe: a GDB remote server (default port 3333)\n"
    "  --address HEX       the control block's exact address\n"
    "  --search RANGES     where to search for the control block: start size[, start size]\n"
    "                      (default: the device's RAM)\n"
    "\n"
    "stdout stays empty; stderr shows the progress on a terminal and the summary line\n"
    "\"Recorded N events, B bytes in S s, D events dropped by the target\".\n"
    "Exit status: 0 recorded, 1 usage error, 2 OUT cannot be written, 3 no recording\n"
    "started (stderr says why; no file is written), 4 the recording started but ended by a\n"
    "fault (OUT holds everything received; stderr says why).\n";

const char* const ExportHelp =
    "usage: kavrin-cli export FILE --format csv|json|chrome [--resolution 6|7|8|9] OUT\n"
    "\n"
    "Writes every event of the recording to OUT, moving the window through the whole file\n"
    "with bounded memory.\n"
    "  csv     a header line, then #, Timestamp, Context, Event, Detail per event\n"
    "  json    an array of objects with index, ticks and the five texts\n"
    "  chrome  Chrome trace-event JSON: one track per context, a complete event per run of\n"
    "          a context, instant events for API calls and log messages\n";

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
        if (arg == QLatin1String("--system-time")) {
            options.systemTime = true;
            return allowedFor(arg, Command::Events);
        }
        if (arg == QLatin1String("--format")) {
            if (!allowedFor(arg, Command::Export))
                return false;
            const std::optional<QString> name = value(arg);
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
        if (recordOption(arg))
            return result_.error.isEmpty();
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
        const qsizetype wanted = options.command == Command::Export ? 2 : 1;
        if (positional.isEmpty())
            return fail(QStringLiteral("no recording file given"));
        if (positional.size() < wanted)
            return fail(QStringLiteral("no output file given"));
        if (positional.size() > wanted)
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(positional[wanted]));
        if (options.command == Command::Export && !formatGiven_)
            return fail(QStringLiteral("export needs --format csv|json|chrome"));
        options.file = positional[0];
        options.output = positional.value(1);
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
    const std::optional<Command> command = commandNamed(topic);
    switch (command.value_or(Command::Help)) {
    case Command::Events:
        return QLatin1String(EventsHelp);
    case Command::Contexts:
        return QLatin1String(ContextsHelp);
    case Command::Info:
        return QLatin1String(InfoHelp);
    case Command::Export:
        return QLatin1String(ExportHelp);
    case Command::Record:
        return QLatin1String(RecordHelp);
    case Command::Help:
        break;
    }
    return QLatin1String(Overview);
}

} // namespace kavrin::cli
