// Reading the recorded data of a halted target: the target channel's own search of target
// memory for the control block and the "Kavrin" channel, and the copy of its ring buffer.

#include "recorder/ProbeLibrary.h"
#include "recorder/RecordingFile.h"
#include "recorder/SearchRanges.h"
#include "recorder/TargetChannel.h"

#include <QThread>

#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace kavrin {

namespace {

constexpr uint8_t Identifier[16] = {'N', 'O', 'R', 'V', 'A', 'N', ' ', 'Z',
                                    'T', 'X', 0,   0,   0,   0,   0,   0};
constexpr std::string_view IdentifierText = "NORVAN ZTX";
constexpr uint32_t IdentifierSize = sizeof Identifier;
constexpr uint32_t DescriptorSize = 24;
constexpr int32_t MaxChannels = 64;
constexpr uint32_t SearchBlockSize = 2048;
constexpr uint32_t DeviceInfoSize = 936;
constexpr uint32_t DeviceInfoRamOffset = 292;
constexpr uint32_t NameBytes = 8;
constexpr uint32_t SyncRun = 10; // ten zero bytes: where a reader of a wrapped ring can begin
constexpr unsigned long HaltPollMillis = 5;
enum DescriptorField { NameField, BufferField, SizeField, WriteField, ReadField };

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The text of `bytes` up to its first NUL, within `size` bytes.
std::string_view textIn(const uint8_t* bytes, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(bytes);
    return {text, strnlen(text, size)};
}

} // namespace

bool TargetChannel::readMemory(uint32_t address, uint32_t count, void* out) {
    return probe_.VANTARARM_ReadMemEx(address, count, out, 0) == int(count);
}

bool TargetChannel::headerValid(const uint8_t* header) const {
    int32_t counts[2];
    std::memcpy(counts, header + IdentifierSize, sizeof counts);
    return equalIgnoringCase(textIn(header, IdentifierSize), IdentifierText) &&
           counts[0] <= MaxChannels && counts[1] <= MaxChannels;
}

int32_t TargetChannel::readRecordedData(RecordingFile& file) {
    if (connect(false) != 0) {
        closeSession();
        return -1;
    }
    const auto since = std::chrono::steady_clock::now();
    while (probe_.VANTARARM_IsHalted() == 0) {
        if (waitOver(since)) {
            closeSession();
            return -1;
        }
        probe_.VANTARARM_Halt();
        QThread::msleep(HaltPollMillis);
    }
    int32_t result = findControlBlock();
    if (result > 0)
        result = findKavrinChannel();
    if (result > 0)
        result = readChannelBuffer(file);
    closeSession();
    return result;
}

int32_t TargetChannel::checkCandidate(uint32_t address) {
    if (!readMemory(address, ControlBlockInfo::HeaderSize, block_.header.data()))
        return -2;
    if (!headerValid(block_.header.data()))
        return 0;
    block_.address = address;
    block_.found = true;
    return 1;
}

int32_t TargetChannel::scanRange(uint32_t start, uint32_t size) {
    const uint64_t end = uint64_t(start) + size;
    uint8_t block[SearchBlockSize];
    for (uint64_t at = start; at < end; at += SearchBlockSize) {
        const auto length = uint32_t(std::min<uint64_t>(SearchBlockSize, end - at));
        if (!readMemory(uint32_t(at), length, block))
            return -2;
        for (uint32_t i = 0; i < length; ++i) {
            if (block[i] != Identifier[0])
                continue;
            uint8_t candidate[IdentifierSize] = {};
            const uint32_t inBlock = std::min(length - i, IdentifierSize);
            std::memcpy(candidate, block + i, inBlock);
            if (inBlock < IdentifierSize) {
                // An identifier cut by the block's end: the rest lies after it.
                if (at + length >= end)
                    continue;
                probe_.VANTARARM_ReadMem(uint32_t(at + length), IdentifierSize - inBlock,
                                         candidate + inBlock);
            }
            if (std::memcmp(candidate, Identifier, IdentifierSize) != 0)
                continue;
            if (const int32_t result = checkCandidate(uint32_t(at + i)); result != 0)
                return result;
        }
    }
    return 0;
}

int32_t TargetChannel::findControlBlock() {
    if (block_.address != 0) {
        if (!readMemory(block_.address, ControlBlockInfo::HeaderSize, block_.header.data()))
            return -2;
        if (headerValid(block_.header.data()))
            block_.found = true;
        return block_.found ? 1 : 0;
    }
    std::vector<MemoryRange> ranges;
    if (connection_.searchRanges.empty()) {
        const int index = probe_.VANTARARM_DEVICE_GetIndex(connection_.device.c_str());
        if (index < 0)
            return -1;
        uint8_t info[DeviceInfoSize] = {};
        std::memcpy(info, &DeviceInfoSize, sizeof DeviceInfoSize);
        if (probe_.VANTARARM_DEVICE_GetInfo(index, info) >= 0) {
            for (uint32_t at = DeviceInfoRamOffset;
                 at + 8 <= DeviceInfoSize && ranges.size() < MaxSearchRanges; at += 8) {
                MemoryRange range;
                std::memcpy(&range.start, info + at, 4);
                std::memcpy(&range.size, info + at + 4, 4);
                if (range.size == 0)
                    break;
                ranges.push_back(range);
            }
        }
    } else {
        SearchRangeList list = parseSearchRanges(connection_.searchRanges.view());
        if (list.outcome == SearchRangeList::Malformed)
            return -1;
        ranges = std::move(list.ranges);
    }
    for (const MemoryRange& range : ranges) {
        if (range.size == 0)
            continue;
        if (const int32_t result = scanRange(range.start, range.size); result != 0)
            return result;
    }
    return 0;
}

int32_t TargetChannel::findKavrinChannel() {
    if (!block_.found)
        return -1;
    // A configured address without a block behind it may claim any count: look at no more
    // descriptors than a valid block holds.
    const int32_t count = std::min(block_.upChannelCount(), MaxChannels);
    for (int32_t i = 0; i < count; ++i) {
        uint32_t descriptor[ControlBlockInfo::DescriptorWords];
        const uint32_t address =
            block_.address + ControlBlockInfo::HeaderSize + DescriptorSize * uint32_t(i);
        if (!readMemory(address, DescriptorSize, descriptor))
            return -2;
        if (!descriptor[NameField] || !descriptor[BufferField] || !descriptor[SizeField])
            continue;
        uint8_t name[NameBytes];
        if (!readMemory(descriptor[NameField], NameBytes, name))
            return -2;
        if (equalIgnoringCase(textIn(name, NameBytes), KavrinChannelName)) {
            std::memcpy(block_.descriptor.data(), descriptor, sizeof descriptor);
            return 1;
        }
    }
    return 0;
}

uint8_t* TargetChannel::allocate(uint32_t size) {
    auto* bytes = new (std::nothrow) uint8_t[size];
    if (!bytes)
        notify_(QStringLiteral("Error"),
                QString::asprintf("Failed to allocate 0x%.8X bytes of memory!", size));
    return bytes;
}

int32_t TargetChannel::readChannelBuffer(RecordingFile& file) {
    const uint32_t buffer = block_.descriptor[BufferField];
    const uint32_t size = block_.descriptor[SizeField];
    const uint32_t write = block_.descriptor[WriteField];
    const uint32_t read = block_.descriptor[ReadField];
    // Offsets beyond the ring, or a ring too large to report, make no sense.
    if (!block_.found || size == 0 || size > uint32_t(INT32_MAX) || write >= size || read >= size)
        return -1;
    if (read == write)
        return 0;
    if (read < write) {
        const std::unique_ptr<uint8_t[]> content(allocate(write));
        if (!content.get())
            return -1;
        if (!readMemory(buffer, write, content.get()))
            return -2;
        file.write(content.get(), write);
        return int32_t(write);
    }
    const std::unique_ptr<uint8_t[]> content(allocate(size));
    if (!content.get())
        return -1;
    const uint32_t tail = size - read;
    if (!readMemory(buffer + read, tail, content.get()) ||
        (write > 0 && !readMemory(buffer, write, content.get() + tail)))
        return -2;
    const uint32_t length = tail + write;
    uint32_t zeros = 0;
    for (uint32_t i = 0; i < length; ++i) {
        zeros = content[i] == 0 ? zeros + 1 : 0;
        if (zeros == SyncRun) {
            const uint32_t from = i + 1 - SyncRun;
            file.write(content.get() + from, length - from);
            return int32_t(length - from);
        }
    }
    return 0;
}

} // namespace kavrin
