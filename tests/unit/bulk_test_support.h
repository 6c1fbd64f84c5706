// Bulk answers for the unit tests, built as msghook.dll builds them inside a target (platform/bulk_format.h):
// a list view given by its titles and rows, answered a few rows per chunk, and a tree view walked through
// the fake tree view's own structure messages with the texts of its items. Scripted faults: a control gone
// at a given chunk, a chunk not answered, a chunk whose bytes are damaged. Test thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/bulk_format.h"
#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "platform/unicode_text.h"
#include "platform/wire.h"

namespace vantor {
namespace testing_support {

// The bytes of an answer to request q: the header followed by the records the writer holds, sealed as the
// target seals them.
inline std::vector<std::uint8_t> answerBytes(const wire::BulkRequest& q, wire::BulkAnswer a,
                                             const std::vector<std::uint8_t>& records, std::size_t used) {
    a.used = static_cast<std::uint32_t>(used);
    a.checksum = bulkAnswerChecksum(q, a, records.data());
    std::vector<std::uint8_t> out(sizeof a + used);
    std::memcpy(out.data(), &a, sizeof a);
    if (used > 0) std::memcpy(out.data() + sizeof a, records.data(), used);
    return out;
}

// Stores the checksum of what an answer's bytes hold now (after a test changed them), for request q.
inline void reseal(const wire::BulkRequest& q, std::vector<std::uint8_t>* bytes) {
    wire::BulkAnswer a;
    std::memcpy(&a, bytes->data(), sizeof a);
    const std::size_t n = bytes->size() - sizeof a;
    wire::BulkAnswer sealed = a;
    sealed.used = a.used <= n ? a.used : static_cast<std::uint32_t>(n);
    a.checksum = bulkAnswerChecksum(q, sealed, bytes->data() + sizeof a);
    std::memcpy(bytes->data(), &a, sizeof a);
}

inline wire::BulkAnswer answerHeader(std::uint32_t sequence, std::uint32_t status) {
    wire::BulkAnswer a{};
    a.magic = wire::kBulkMagic;
    a.sequence = sequence;
    a.status = status;
    return a;
}

// A text as the target's 260-byte buffer gives it: at most 259 bytes.
inline void putTargetText(BulkWriter& w, const std::string& text) {
    const std::size_t n = text.size() < wire::kRemoteTextSize - 1 ? text.size() : wire::kRemoteTextSize - 1;
    w.text(text.data(), static_cast<std::uint32_t>(n));
}

// The same for a request with kBulkWideTexts: the text (UTF-8 here) as UTF-16 units, at most 259.
inline void putTargetWideText(BulkWriter& w, const std::string& text) {
    std::u16string units = utf16FromUtf8(text);
    units.resize(utf16CutLength(units, wire::kRemoteTextSize - 1));
    w.wideText(units.data(), static_cast<std::uint32_t>(units.size()));
}

struct BulkListTarget {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> selected; // ascending
    bool noHeader = false;
    std::size_t rowsPerChunk = 2;
    int goneAtChunk = -1;             // this chunk (from 0) answers kBulkGone with no rows (counts as usual)
    int silentAtChunk = -1;           // this chunk is not answered
    std::function<void(int)> onChunk; // called with the chunk's number before it is answered
    int chunks = 0;

    std::vector<std::uint8_t> answer(const wire::BulkRequest& q, std::uint32_t sequence) {
        const int chunk = chunks++;
        if (onChunk) onChunk(chunk);
        if (chunk == silentAtChunk) return {};
        std::vector<std::uint8_t> records(wire::kBulkDataSize);
        BulkWriter w(records.data(), records.size());
        wire::BulkAnswer a = answerHeader(sequence, wire::kBulkDone);
        const std::size_t columns = titles.empty() || noHeader ? 1 : titles.size();
        a.columns = static_cast<std::int32_t>(columns);
        a.rows = static_cast<std::int32_t>(rows.size());
        if (chunk == goneAtChunk) {
            a.status = wire::kBulkGone;
            a.next = q.from;
            return answerBytes(q, a, records, 0);
        }
        const bool wide = (q.flags & wire::kBulkWideTexts) != 0;
        if (wide) a.flags |= wire::kBulkWideTexts;
        auto putText = [&w, wide](const std::string& text) {
            wide ? putTargetWideText(w, text) : putTargetText(w, text);
        };
        if (q.from == 0) {
            if (noHeader) a.flags |= wire::kBulkNoHeader;
            for (std::size_t i = 0; !noHeader && i < columns; ++i) {
                if (i < titles.size())
                    putText(titles[i]);
                else
                    w.unchanged(); // a header without items answers its one query FALSE
                ++a.titles;
            }
        }
        std::size_t taken = 0;
        for (std::size_t r = static_cast<std::size_t>(q.from); r < rows.size(); ++r) {
            if ((q.flags & wire::kBulkSelectedOnly) != 0 &&
                std::find(selected.begin(), selected.end(), static_cast<int>(r)) == selected.end())
                continue;
            if (taken == rowsPerChunk) {
                a.status = wire::kBulkMore;
                break;
            }
            w.put(static_cast<std::int32_t>(r));
            for (std::size_t k = 0; k < columns; ++k)
                putText(k < rows[r].size() ? rows[r][k] : std::string());
            ++taken;
            ++a.records;
            a.next = r + 1;
        }
        return answerBytes(q, a, records, w.used());
    }
};

// A tree view of the fake desktop answered in walk order (item, subtree, next sibling), items per chunk as
// given; the texts are those of `texts`, in the same order (the fake's items in depth-first order).
struct BulkTreeTarget {
    fake::FakeDesktop* desktop = nullptr;
    Hwnd tree{};
    std::vector<std::string> texts;
    std::size_t itemsPerChunk = 3;
    int goneAtChunk = -1;
    int chunks = 0;
    // The walk once, in full: handle, depth, text.
    struct Entry {
        std::uint64_t handle;
        std::uint32_t depth;
        std::string text;
    };
    std::vector<Entry> walk;

    std::uintptr_t next(std::uint32_t relation, std::uintptr_t item) {
        std::intptr_t r = 0;
        desktop->sendMessage(tree, wire::TVM_GETNEXTITEM, relation, static_cast<std::intptr_t>(item), &r);
        return static_cast<std::uintptr_t>(r);
    }
    void walkFrom(std::uintptr_t item, std::uint32_t depth) {
        for (; item != 0; item = next(wire::TVGN_NEXT, item)) {
            walk.push_back(
                Entry{item, depth, walk.size() < texts.size() ? texts[walk.size()] : std::string()});
            walkFrom(next(wire::TVGN_CHILD, item), depth + 1);
        }
    }

    std::vector<std::uint8_t> answer(const wire::BulkRequest& q, std::uint32_t sequence) {
        if (walk.empty()) walkFrom(next(wire::TVGN_ROOT, 0), 0);
        const int chunk = chunks++;
        if (chunk == goneAtChunk) return answerBytes(q, answerHeader(sequence, wire::kBulkGone), {}, 0);
        std::size_t start = 0;
        if (q.from != 0) {
            while (start < walk.size() && walk[start].handle != q.from)
                ++start;
            ++start;
        }
        std::vector<std::uint8_t> records(wire::kBulkDataSize);
        BulkWriter w(records.data(), records.size());
        wire::BulkAnswer a = answerHeader(sequence, wire::kBulkDone);
        for (std::size_t i = start; i < walk.size(); ++i) {
            if (a.records == itemsPerChunk) {
                a.status = wire::kBulkMore;
                break;
            }
            w.put(walk[i].handle);
            w.put(walk[i].depth);
            putTargetText(w, walk[i].text);
            ++a.records;
            a.next = walk[i].handle;
        }
        return answerBytes(q, a, records, w.used());
    }
};

} // namespace testing_support
} // namespace vantor
