#pragma once

#include "engine/StreamDecoder.h"
#include "target/ProbeSession.h"

#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace kavrin::test {

// The host side of a live recording, as the recorder drives the probe library: open,
// connect, start the terminal, find the "Kavrin" channel, then read and send commands.
class ProbeHost {
public:
    explicit ProbeHost(SimConfig config)
        : probe([config](SimConfig& out, std::string&) {
              out = config;
              return true;
          }) {}

    bool connect() {
        if (probe.open() || probe.connect() != 0)
            return false;
        probe.terminalControl(ProbeSession::StartTerminal, nullptr);
        return findChannel();
    }

    bool findChannel() {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            uint32_t direction = 0;
            const int count = probe.terminalControl(ProbeSession::CountChannels, &direction);
            if (count != ZtxFrontEnd::NotFoundYet) {
                for (int i = 0; i < count; ++i) {
                    if (channelName(i) == "Kavrin")
                        channel = i;
                }
                return channel >= 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    std::string channelName(int index) {
        uint8_t record[ProbeSession::DescriptorRecordSize] = {};
        std::memcpy(record, &index, 4);
        if (probe.terminalControl(ProbeSession::DescribeChannel, record) < 0)
            return "?";
        return reinterpret_cast<const char*>(record + ProbeSession::DescriptorNameOffset);
    }

    void send(std::initializer_list<uint8_t> bytes) {
        for (uint8_t byte : bytes) {
            const char c = char(byte);
            while (probe.terminalWrite(uint32_t(channel), &c, 1) <= 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Reads what is waiting; the result of the channel read (negative on failure).
    int poll() {
        char block[32768];
        const int count = probe.terminalRead(uint32_t(channel), block, sizeof block);
        if (count > 0)
            stream.insert(stream.end(), block, block + count);
        return count;
    }

    // Reads until the stream holds `count` packets of `id` (a generous bound, not a timing
    // check: the firmware runs on its own thread).
    bool readUntil(uint32_t id, uint32_t count = 1) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < giveUp) {
            if (poll() < 0)
                return false;
            if (decode()[id] >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    // Packets per id in the stream so far; `result` gets the decoder's last result.
    std::map<uint32_t, uint32_t> decode(int32_t* result = nullptr,
                                        std::vector<EventRecord>* records = nullptr) {
        StagingBuffer staging;
        StreamDecoder decoder(staging);
        MemorySource source(stream.data(), stream.size());
        int32_t last;
        while ((last = decoder.decodePackets(source, 100'000)) > 0 ||
               last == DecodeUnsynchronised) {
        }
        if (result)
            *result = last;
        std::map<uint32_t, uint32_t> counts;
        for (uint32_t i = 0; i < staging.count(); ++i) {
            EventRecord record;
            staging.copyOut(i, record);
            ++counts[record.id];
            if (records)
                records->push_back(record); // shallow: only ids and numbers are looked at
        }
        return counts;
    }

    ProbeSession probe;
    int channel = -1;
    std::vector<uint8_t> stream;
};

} // namespace kavrin::test
