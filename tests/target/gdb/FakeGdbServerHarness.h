#pragma once

#include "target/MemoryAccess.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace kavrin::test {

// A small GDB remote server on 127.0.0.1 for one client, serving `memory`. By default it
// behaves as QEMU's gdbstub: the target stops when a client attaches, and any byte received
// while it runs stops it and is dropped. Other behaviours are switched on for the tests.
class FakeGdbServer {
public:
    struct Behaviour {
        bool haltsOnAnyByte = true; // else memory is served while the target runs (OpenOCD)
        uint32_t packetSize = 0x1000;
        int corruptAnswers = 0;        // the first answers go out with a wrong checksum
        bool runLength = false;        // memory answers are run-length encoded
        bool escapeZeros = false;      // answers escape every "0" (as "}" and 0x10)
        bool consoleOutput = false;    // an "O" packet comes before each memory answer
        uint32_t readLimit = 0;        // bytes at most per memory answer (0: as asked)
        int answersBeforeSilence = -1; // then it stops answering (-1: never)
    };
    struct Counts {
        int stops = 0;     // the target stopped (interrupt, or a byte while running)
        int continues = 0; // "c"
        int detaches = 0;  // "D"
        int rejected = 0;  // "-" received
        int memoryRequests = 0;
    };

    FakeGdbServer(MemoryAccess& memory, Behaviour behaviour);
    ~FakeGdbServer();
    FakeGdbServer(const FakeGdbServer&) = delete;
    FakeGdbServer& operator=(const FakeGdbServer&) = delete;

    uint16_t port() const { return port_; }
    Counts counts() const;
    bool running() const { return running_; }
    // Closes the client's connection; returns when it is closed.
    void disconnect();

private:
    void serve();
    bool serveClient(int client);
    void respond(int client, const std::string& payload);
    void answer(int client, const std::string& payload);
    std::string memoryAnswer(const std::string& payload);

    MemoryAccess& memory_;
    Behaviour behaviour_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> quit_{false};
    std::atomic<bool> disconnect_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> running_{false};
    mutable std::mutex lock_;
    Counts counts_;
    std::string lastPacket_;
    int answers_ = 0;
    std::thread thread_;
};

} // namespace kavrin::test
