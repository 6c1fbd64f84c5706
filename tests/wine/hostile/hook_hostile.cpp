// hook-hostile.exe SECONDS RECORDS: a program of the same user that attacks msghook.dll's named objects for
// SECONDS while vantor.exe and vantor-cli run (the hostile test, tests/wine/hostile/hostile_test.cpp). Four
// threads at once:
//   - scribble: random bytes at random places of the record section and the bulk section;
//   - hold: takes the queue mutex and the bulk mutex and keeps them 100 ms of every 200 ms;
//   - forge: snapshot slots with the magic and counts, ranges and texts of its own (half of them under a
//     checksum that holds), queue counters past their bounds, bulk answer headers with row counts of INT_MAX;
//   - flood: RECORDS forged WM_INITMENUPOPUP records alternating between the specimen's window and another
//     window (each with its menu bar), queued as the library queues them, each followed by the hook event;
//     it prints how many went in.
// Exit codes: 0 done, 2 bad arguments, 3 the section could not be opened.
#include "platform/wire.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace wire = vantor::wire;

namespace {

DWORD endAt = 0;
wire::HookSection* hook = nullptr;
unsigned char* bulk = nullptr;
int recordsToSend = 0;
volatile LONG recordsSent = 0;

bool running() {
    return static_cast<LONG>(GetTickCount() - endAt) < 0;
}

// A small generator of its own per thread (rand() is shared).
struct Random {
    unsigned state;
    unsigned next() {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    }
};

DWORD WINAPI scribble(void*) {
    Random r{1};
    while (running()) {
        for (int i = 0; i < 2000; ++i) {
            reinterpret_cast<unsigned char*>(hook)[r.next() % sizeof(wire::HookSection)] =
                static_cast<unsigned char>(r.next());
            if (bulk != nullptr)
                bulk[r.next() % sizeof(wire::BulkSection)] = static_cast<unsigned char>(r.next());
        }
        Sleep(1);
    }
    return 0;
}

DWORD WINAPI hold(void*) {
    HANDLE queue = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, wire::kHookMutexName);
    HANDLE bulkMutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, wire::kBulkMutexName);
    while (running()) {
        if (queue != nullptr) WaitForSingleObject(queue, 1000);
        if (bulkMutex != nullptr) WaitForSingleObject(bulkMutex, 1000);
        Sleep(100);
        if (bulkMutex != nullptr) ReleaseMutex(bulkMutex);
        if (queue != nullptr) ReleaseMutex(queue);
        Sleep(100);
    }
    return 0;
}

DWORD WINAPI forge(void*) {
    Random r{7};
    while (running()) {
        wire::MenuSnapshot& s = hook->slots[r.next() % wire::kSnapshotSlots];
        s.sequence = 0x7FFFFFFF - (r.next() % 100);
        s.menuCount = 1 + r.next() % (wire::kSnapshotMenus + 4);
        s.itemCount = r.next() % (wire::kSnapshotItems + 4);
        s.menus[0].first = r.next() % 8;
        s.menus[0].count = r.next() % 600;
        s.items[r.next() % wire::kSnapshotItems].text[r.next() % wire::kSnapshotTextSize] =
            static_cast<char>(r.next());
        if (r.next() % 2 == 0) s.checksum = wire::snapshotChecksum(s);
        s.magic = wire::kSnapshotMagic;
        if (r.next() % 64 == 0) hook->tail = hook->head + 100000; // the queue counters past their bound
        if (bulk != nullptr) {
            auto* section = reinterpret_cast<wire::BulkSection*>(bulk);
            section->answer.rows = INT_MAX;
            section->answer.records = r.next();
            section->answer.used = r.next();
            section->answerSequence = section->requestSequence;
        }
        Sleep(2);
    }
    return 0;
}

// The windows the forged records name: the specimen's main window and another visible top-level window of
// another process (not vantor.exe's), each with its own menu bar handle.
void twoWindows(HWND* a, HWND* b) {
    *a = FindWindowA("VantorSpecimen", nullptr);
    *b = nullptr;
    for (HWND w = GetTopWindow(nullptr); w != nullptr && *b == nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char name[64] = "";
        GetClassNameA(w, name, sizeof name);
        if (pid != GetCurrentProcessId() && IsWindowVisible(w) && w != *a &&
            lstrcmpA(name, "Vantor [Quellin]") != 0)
            *b = w;
    }
}

// Queues r as the library does, waiting as long as it takes for the mutex (which the hold thread keeps most
// of the time) and for room in the queue, so that every forged record goes in while the attack lasts.
void queueForged(HANDLE queue, const wire::HookRecord& r) {
    while (running()) {
        if (WaitForSingleObject(queue, 1000) != WAIT_OBJECT_0) continue;
        const bool room = hook->tail - hook->head < wire::kHookQueueCapacity;
        if (room) {
            hook->queue[hook->tail % wire::kHookQueueCapacity] = r;
            ++hook->tail;
        }
        ReleaseMutex(queue);
        if (room) return;
        Sleep(1);
    }
}

DWORD WINAPI flood(void*) {
    HANDLE queue = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, wire::kHookMutexName);
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, wire::kHookEventName);
    if (queue == nullptr) return 1;
    HWND windows[2];
    twoWindows(&windows[0], &windows[1]);
    for (int i = 0; i < recordsToSend && running(); ++i) {
        const HWND w = windows[i % 2];
        const wire::HookRecord r{static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(w)), WM_INITMENUPOPUP,
                                 0, static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(GetMenu(w)))};
        queueForged(queue, r);
        if (event != nullptr) SetEvent(event);
        InterlockedIncrement(&recordsSent);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const int seconds = std::atoi(argv[1]);
    recordsToSend = std::atoi(argv[2]);
    if (seconds <= 0 || recordsToSend < 0) return 2;
    endAt = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, wire::kHookSectionName);
    if (mapping == nullptr) return 3;
    hook = static_cast<wire::HookSection*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(wire::HookSection)));
    if (hook == nullptr) return 3;
    HANDLE bulkMapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, wire::kBulkSectionName);
    if (bulkMapping != nullptr)
        bulk = static_cast<unsigned char*>(
            MapViewOfFile(bulkMapping, FILE_MAP_WRITE, 0, 0, sizeof(wire::BulkSection)));
    LPTHREAD_START_ROUTINE attacks[] = {scribble, hold, forge, flood};
    HANDLE threads[4];
    for (int i = 0; i < 4; ++i)
        threads[i] = CreateThread(nullptr, 0, attacks[i], nullptr, 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    std::printf("records sent: %ld\n", recordsSent);
    return 0;
}
