// A hook library for the unit tests: PopMessage answers from a script of batches (each the count to return
// and the records to deliver), and every call and every debug line is recorded.
//
// Threads: one test thread.
#pragma once

#include <deque>
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

    std::deque<Batch> batches;      // still to be answered; 0 once empty
    std::vector<int> capacities;    // the capacity of every PopMessage call
    std::vector<std::string> debug; // every debug line
};

} // namespace fake
} // namespace vantor
