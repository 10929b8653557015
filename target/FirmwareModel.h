#pragma once

#include "target/Random.h"
#include "target/Scenario.h"
#include "target/StreamWriter.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace kavrin {

// The firmware of the simulated target: a Tessera RTOS running the scenario's tasks and
// interrupts, and its recorder module, which writes what happens as event packets.
// Simulated time advances only through step(); the same scenario and seed always give the
// same packets, so recordings can be generated faster than real time.
class FirmwareModel {
public:
    FirmwareModel(Scenario scenario, uint64_t seed);

    // What the recorder module does on the host's command bytes. Each writes its packets to
    // `out` at the current simulated time.
    void startRecording(StreamWriter& out);
    void stopRecording(StreamWriter& out);
    void sendTargetTime(StreamWriter& out);
    void sendTaskList(StreamWriter& out);
    void sendSystemDescription(StreamWriter& out);
    void sendModuleCount(StreamWriter& out);
    void sendModuleDescription(uint32_t module, StreamWriter& out);
    // A run of ten zero bytes (Sync packets), then Start and everything a reader needs to
    // know, so that a reader of an overwritten ring can begin there.
    void resynchronise(StreamWriter& out);

    // Runs the firmware to its next happening (an interrupt, a task's next action) and writes
    // the packets it causes; none while not recording.
    void step(StreamWriter& out);

    // While set, packets are lost and counted (answers to the host excepted); the next packet
    // written afterwards is an Overflow packet with the running count. The live target sets
    // it while its ring is full.
    void setDropping(bool dropping) { ringFull_ = dropping; }
    // Acts as the host would: asks for the descriptions, task list and time periodically.
    void setHostRequests(bool enabled) { hostRequests_ = enabled; }
    // No packet is written once this many have been written.
    void setPacketLimit(uint64_t limit) { packetLimit_ = limit; }

    bool recording() const { return recording_; }
    bool limitReached() const { return written_ >= packetLimit_; }
    uint64_t now() const { return now_; }
    uint64_t packetsWritten() const { return written_; }
    uint32_t packetsDropped() const { return dropped_; }
    uint32_t moduleCount() const { return scenario_.withModule ? 1 : 0; }
    const Scenario& scenario() const { return scenario_; }

private:
    struct Task {
        enum State : uint8_t { Ready, Running, Blocked };
        uint32_t id = 0;
        State state = Blocked;
        uint64_t period = 0;
        uint64_t nextRelease = 0;
        size_t action = 0;
        bool actionStarted = false;
        uint64_t remaining = 0;
        uint32_t jobs = 0;
        uint32_t semaphoreCount = 0;
        uint32_t blockedIn = 0; // API id the task blocked in, 0 for none
        bool released = false;  // made ready after blocking: a new job starts when it runs
    };
    struct Interrupt {
        uint64_t due = 0;
        uint64_t period = 0;
        uint64_t work = 0;
    };
    // Where the next packet goes and its timestamp delta.
    struct Packet {
        StreamWriter* writer;
        uint32_t delta;
        StreamWriter* operator->() const { return writer; }
    };

    Packet packet();
    void announce();
    bool losing();
    uint64_t ticks(uint64_t micros) const;

    void runAction(Task& task);
    void beginAction(Task& task, const Action& action);
    void finishAction(Task& task);
    void endJob(Task& task);
    void startJob(Task& task);
    void blockIn(Task& task, uint32_t apiId, uint32_t reason);
    void release(size_t task);
    void schedule();
    int bestReady() const;
    bool switchNeeded() const;
    void interrupt(size_t index, uint32_t depth);
    void serve(size_t index);
    size_t nextInterrupt() const;
    int nestingCandidate(size_t running, uint64_t before) const;
    void hostRequests();

    uint32_t resolve(const Param& param, const Task* task);
    void writeApi(uint32_t id, const Param* params, size_t count, const Task* task);
    void writeApiEnd(uint32_t id, bool returns, const Param& result, const Task* task);
    void writeLog(const Action& action, const Task& task);

    Scenario scenario_;
    Random random_;
    std::vector<Task> tasks_;
    std::vector<Interrupt> interrupts_;
    int running_ = -1; // task index; -1 while idle
    uint64_t now_ = 0;
    uint32_t osTick_ = 0;

    StreamWriter* out_ = nullptr;
    StreamWriter discard_;
    bool recording_ = false;
    bool ringFull_ = false;
    bool answering_ = false; // packets that answer the host are never lost
    uint32_t burstLeft_ = 0;
    bool overflowPending_ = false;
    uint32_t dropped_ = 0;
    uint64_t written_ = 0;
    uint64_t packetLimit_ = std::numeric_limits<uint64_t>::max();
    uint64_t lastWritten_ = 0;

    bool hostRequests_ = false;
    uint64_t nextSecond_ = 0;
    uint32_t seconds_ = 0;
};

} // namespace kavrin
