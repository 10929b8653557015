#include "cli/Exporters.h"

#include "cli/Recording.h"
#include "engine/EventStore.h"

#include <map>

namespace kavrin::cli {

namespace {

void put(std::FILE* out, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

class CsvExporter : public EventExporter {
public:
    explicit CsvExporter(std::FILE* out) : out_(out) {}

    void begin() override { put(out_, "#,Timestamp,Context,Event,Detail\r\n"); }
    void event(const EventNode&, const std::array<QString, EventColumnCount>& texts) override {
        QByteArray line;
        for (const QString& text : texts) {
            if (!line.isEmpty() || &text != &texts.front())
                line += ',';
            line += csvField(text);
        }
        line += "\r\n";
        put(out_, line);
    }

private:
    std::FILE* out_;
};

class JsonExporter : public EventExporter {
public:
    explicit JsonExporter(std::FILE* out) : out_(out) {}

    void begin() override { put(out_, "["); }
    void event(const EventNode& node, const std::array<QString, EventColumnCount>& texts) override {
        QByteArray object = first_ ? "\n" : ",\n";
        first_ = false;
        object += "{\"index\":" + QByteArray::number(node.record.index) +
                  ",\"ticks\":" + QByteArray::number(qulonglong(node.record.timestamp)) +
                  ",\"number\":" + jsonString(texts[0]) + ",\"timestamp\":" + jsonString(texts[1]) +
                  ",\"context\":" + jsonString(texts[2]) + ",\"event\":" + jsonString(texts[3]) +
                  ",\"detail\":" + jsonString(texts[4]) + "}";
        put(out_, object);
    }
    void end() override { put(out_, "\n]\n"); }

private:
    std::FILE* out_;
    bool first_ = true;
};

// Chrome trace-event JSON: one thread per context, a complete event per run of a context and
// an instant event per API call or log message; times in microseconds.
class ChromeExporter : public EventExporter {
public:
    ChromeExporter(const Recording& recording, std::FILE* out) : recording_(recording), out_(out) {}

    void begin() override { put(out_, "{\"displayTimeUnit\":\"ns\",\"traceEvents\":["); }

    void event(const EventNode& node, const std::array<QString, EventColumnCount>& texts) override {
        const EventRecord& record = node.record;
        if (!running_ || record.contextAfter != runningContext_) {
            closeRun(record.timestamp);
            running_ = true;
            runningContext_ = record.contextAfter;
            runStart_ = record.timestamp;
        }
        const EventClass eventClass = eventClassOf(record.id);
        if (eventClass == EventClass::Api || eventClass == EventClass::Message) {
            contexts_.try_emplace(record.context, 0);
            emitEvent("{\"name\":" + jsonString(texts[3].trimmed()) +
                      ",\"ph\":\"i\",\"s\":\"t\",\"pid\":1,\"tid\":" +
                      QByteArray::number(record.context) + ",\"ts\":" + micros(record.timestamp) +
                      ",\"args\":{\"index\":" + QByteArray::number(record.index) +
                      ",\"detail\":" + jsonString(texts[4]) + "}}");
        }
        lastTime_ = record.timestamp;
    }

    void end() override {
        closeRun(lastTime_);
        const RecordingEngine& engine = recording_.engine();
        const std::vector<uint32_t>& rows = engine.contextList.rows();
        for (size_t row = 0; row < rows.size(); ++row)
            contexts_.insert_or_assign(rows[row], int(row));
        for (const auto& [id, row] : contexts_) {
            const QByteArray tid = QByteArray::number(id);
            emitEvent("{\"name\":\"thread_name\",\"ph\":\"M\",\"pid\":1,\"tid\":" + tid +
                      ",\"args\":{\"name\":" + jsonString(ContextNameText(engine.tracker, id)) +
                      "}}");
            emitEvent("{\"name\":\"thread_sort_index\",\"ph\":\"M\",\"pid\":1,\"tid\":" + tid +
                      ",\"args\":{\"sort_index\":" + QByteArray::number(row) + "}}");
        }
        put(out_, "\n]}\n");
    }

private:
    void closeRun(uint64_t end) {
        if (!running_)
            return;
        contexts_.try_emplace(runningContext_, 0);
        const RecordingEngine& engine = recording_.engine();
        emitEvent("{\"name\":" + jsonString(ContextNameText(engine.tracker, runningContext_)) +
                  ",\"ph\":\"X\",\"pid\":1,\"tid\":" + QByteArray::number(runningContext_) +
                  ",\"ts\":" + micros(runStart_) + ",\"dur\":" + micros(end - runStart_) + "}");
    }

    // Without a known frequency ticks stand for microseconds.
    QByteArray micros(uint64_t ticks) const {
        const TimeBase& timeBase = recording_.presentation().timeBase;
        if (!timeBase.valid)
            return QByteArray::number(qulonglong(ticks));
        return QByteArray::number(double(TicksToNs(timeBase, ticks)) / 1000.0, 'f', 3);
    }

    void emitEvent(const QByteArray& json) {
        put(out_, first_ ? "\n" : ",\n");
        first_ = false;
        put(out_, json);
    }

    const Recording& recording_;
    std::FILE* out_;
    bool first_ = true;
    bool running_ = false;
    uint32_t runningContext_ = 0;
    uint64_t runStart_ = 0;
    uint64_t lastTime_ = 0;
    std::map<uint32_t, int> contexts_; // context id -> row in the contexts list
};

} // namespace

QByteArray jsonString(const QString& text) {
    QByteArray json = "\"";
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\r':
            json += "\\r";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            if (uint8_t(c) < 0x20)
                json +=
                    QByteArray("\\u00") + QByteArray::number(uint8_t(c), 16).rightJustified(2, '0');
            else
                json += c;
        }
    }
    return json + '"';
}

QByteArray csvField(const QString& text) {
    QByteArray field = text.toUtf8();
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') &&
        !field.contains('\r'))
        return field;
    field.replace("\"", "\"\"");
    return '"' + field + '"';
}

std::unique_ptr<EventExporter> makeExporter(ExportFormat format, const Recording& recording,
                                            std::FILE* out) {
    switch (format) {
    case ExportFormat::Csv:
        return std::make_unique<CsvExporter>(out);
    case ExportFormat::Json:
        return std::make_unique<JsonExporter>(out);
    case ExportFormat::Chrome:
        return std::make_unique<ChromeExporter>(recording, out);
    }
    return nullptr;
}

} // namespace kavrin::cli
