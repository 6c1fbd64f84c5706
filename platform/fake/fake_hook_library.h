// A hook library for the unit tests: PopMessage answers from a script of batches (each the count to return
// and the records to deliver), and every call and every debug line is recorded. Bulk reads are answered by
// a function the test gives (bulkAnswer: the request and its sequence in, the answer bytes out; empty for
// "no answer in time"); without one bulkBegin refuses, as without the library.
//
// Threads: one test thread.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/hook_library.h"

namespace vantor {
namespace fake {

class FakeHookLibrary : public HookLibrary {
  public:
    struct Batch {
        int answer;                            // what PopMessage returns
        std::vector<wire::HookRecord> records; // what it writes (at most the capacity asked for)
    };
    int popMessage(wire::HookRecord* buf, int cap) override {
        capacities.push_back(cap);
        if (batches.empty()) return 0;
        Batch b = batches.front();
        batches.pop_front();
        for (std::size_t i = 0; i < b.records.size() && static_cast<int>(i) < cap; ++i)
            buf[i] = b.records[i];
        return b.answer;
    }
    void debugOutput(const char* text) override { debug.push_back(text); }

    bool bulkAvailable() override { return static_cast<bool>(bulkAnswer); }
    bool bulkReaches(int pointerBits) override {
        return HookLibrary::bulkReaches(pointerBits) || (pointerBits != 0 && pointerBits == alsoReaches);
    }
    void* bulkBegin(Hwnd control) override {
        begun.push_back(control);
        if (!bulkAnswer || refuseBegin) return nullptr;
        ++openSessions;
        return this;
    }
    std::size_t bulkChunk(void* session, Hwnd control, const wire::BulkRequest& request,
                          std::uint32_t* sequence, std::uint8_t* out, std::size_t cap) override {
        if (session != this) return 0;
        *sequence = ++lastSequence;
        wire::BulkRequest q = request;
        q.sequence = *sequence;
        requests.push_back(q);
        (void)control;
        const std::vector<std::uint8_t> answer = bulkAnswer(q, *sequence);
        const std::size_t n = answer.size() < cap ? answer.size() : cap;
        if (n > 0) std::memcpy(out, answer.data(), n);
        return n;
    }
    void bulkEnd(void* session) override {
        if (session == this) --openSessions;
    }

    std::deque<Batch> batches;      // still to be answered; 0 once empty
    std::vector<int> capacities;    // the capacity of every PopMessage call
    std::vector<std::string> debug; // every debug line

    std::function<std::vector<std::uint8_t>(const wire::BulkRequest&, std::uint32_t)> bulkAnswer;
    bool refuseBegin = false;                // bulkBegin answers null even with bulkAnswer set
    int alsoReaches = 0;                     // a pointer width reached besides the program's (a 32-bit host)
    std::vector<Hwnd> begun;                 // every control bulkBegin was asked for
    std::vector<wire::BulkRequest> requests; // every chunk asked for, with its sequence
    std::uint32_t lastSequence = 0;
    int openSessions = 0; // bulkBegin without bulkEnd
};

} // namespace fake
} // namespace vantor
