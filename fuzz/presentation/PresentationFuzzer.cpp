// Feeds arbitrary bytes to the description parsers and to the texts of arbitrary records.
// The first byte chooses the target.
#include "engine/ContextTracker.h"
#include "engine/EventStore.h"
#include "presentation/DescriptionLine.h"
#include "presentation/DescriptionParser.h"
#include "presentation/RowTexts.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace kavrin;

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    template <class T> T take() {
        T value{};
        const size_t n = std::min(sizeof value, size_ - pos_);
        std::memcpy(&value, data_ + pos_, n);
        pos_ += n;
        return value;
    }
    // Bytes up to the next 0 (consumed) or the end.
    QString text() {
        const size_t start = pos_;
        while (pos_ < size_ && data_[pos_] != 0)
            ++pos_;
        const QString result = QString::fromLatin1(reinterpret_cast<const char*>(data_ + start),
                                                   qsizetype(pos_ - start));
        pos_ += pos_ < size_;
        return result;
    }
    std::vector<uint8_t> rest() { return {data_ + pos_, data_ + size_}; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

struct Parsers {
    DescriptionTables tables;
    IsrTable isrs;
    bool reversePriority = false;
    Log log;
    DescriptionEnvironment env{tables, isrs, reversePriority, log, nullptr, {}, QString()};

    void parseLines(const QString& text) {
        for (const QString& line : text.split(u'\n'))
            parseDescriptionLine(tables, reversePriority, line.simplified(), 0);
    }
};

// Descriptions, then a record with every field from the input and the rest as payload.
void recordTexts(Input& input) {
    Parsers parsers;
    const QString descriptions = input.text();
    parsers.parseLines(descriptions);

    ContextTracker tracker;
    tracker.setTaskIdMapping(input.take<uint32_t>(), input.take<uint8_t>());
    tracker.resourceNames[input.take<uint8_t>()] = "resource";
    tracker.isrs.registerIsr(input.take<uint8_t>());

    Presentation presentation;
    presentation.descriptions = parsers.tables;
    presentation.timeBase.setFrequency(input.take<uint32_t>());
    presentation.display.resolution = input.take<uint8_t>() % 12;

    EventNode node;
    EventRecord& record = node.record;
    record.id = input.take<uint8_t>();
    if (record.id > 40)
        record.id = input.take<uint32_t>();
    record.param1 = input.take<uint32_t>();
    record.param2 = input.take<uint32_t>();
    record.context = input.take<uint32_t>();
    record.contextAfter = input.take<uint32_t>();
    record.timestamp = input.take<uint64_t>();
    node.endTime = input.take<uint64_t>();
    std::vector<uint8_t> payload = input.rest();
    std::vector<char> text(payload.begin(), payload.end());
    text.push_back(0);
    record.text = text.data();
    record.payload = payload.empty() ? nullptr : payload.data();
    record.payloadSize = uint32_t(payload.size());

    EventRowTexts(node, 0, tracker, presentation);
    FormatParameters(node, descriptions, presentation.textSources(tracker));
    ContextRowTexts(tracker, record.context, presentation);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    Input input(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        Parsers parsers;
        ParseSystemDescription(parsers.env, input.text());
        break;
    }
    case 1: {
        Parsers parsers;
        const auto offset = input.take<uint32_t>();
        ParseModuleDescription(parsers.env, input.text(), offset);
        break;
    }
    case 2: {
        Parsers parsers;
        parsers.parseLines(input.text());
        break;
    }
    default:
        recordTexts(input);
        break;
    }
    return 0;
}
