// The formatters of the report's sections, from section models. Pure string work.
#include "capture/section_format.h"

#include <cstdio>

namespace vantor {

const char kFailureLine[] = "情報をうまく取得できませんでした\r\n";

namespace {

constexpr std::size_t kMinText = 2;

void appendLines(const std::vector<SectionItem>& items, bool* written, std::string* out) {
    for (const SectionItem& item : items) {
        if (judgedSize(item) < kMinText) continue;
        *out += item.text;
        *out += "\r\n";
        *written = true;
    }
}

} // namespace

bool formatItemTree(const std::vector<SectionItem>& items, const char* prefix, bool withIds,
                    std::string* out) {
    const std::string base = prefix != nullptr ? prefix : "";
    const bool markTop = prefix != nullptr;
    bool written = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const SectionItem& item = items[i];
        const bool hasChildren = i + 1 < items.size() && items[i + 1].depth > item.depth;
        if (judgedSize(item) < kMinText && !hasChildren) continue;
        written = true;
        if (item.depth > 0 || markTop) {
            *out += base;
            out->append(2 * static_cast<std::size_t>(item.depth), ' ');
            *out += "+ ";
        }
        *out += item.text;
        if (withIds && !item.subMenu && item.id > 0) {
            char number[16];
            std::snprintf(number, sizeof number, " [%d]", static_cast<int>(item.id));
            *out += number;
        }
        *out += "\r\n";
    }
    return written;
}

void formatStatusBar(const SectionModel& model, std::string* out) {
    bool written = false;
    appendLines(model.items, &written, out);
    if (!written) *out += kFailureLine;
}

void formatListItems(const SectionModel& model, std::string* out) {
    bool written = false;
    appendLines(model.items, &written, out);
    if (!written || model.status == SectionStatus::CutShort) *out += kFailureLine;
}

void formatItemsSection(const SectionModel& model, std::string* out) {
    if (!formatItemTree(model.items, nullptr, false, out)) *out += kFailureLine;
}

void formatMenuBar(const SectionModel& model, std::string* out) {
    if (!formatItemTree(model.items, nullptr, true, out)) *out += kFailureLine;
    if (model.status == SectionStatus::CutShort) *out += kFailureLine;
}

void formatAddedMenu(const SectionModel& model, std::string* out) {
    bool anyText = false;
    for (const SectionItem& item : model.items)
        anyText = anyText || (item.depth == 0 && judgedSize(item) > 0);
    if (!anyText) {
        *out += kFailureLine;
        return;
    }
    formatItemTree(model.items, nullptr, true, out);
    if (model.status == SectionStatus::CutShort) *out += kFailureLine;
}

void formatListHeader(const std::vector<std::string>& titles, const std::string& separator, bool closed,
                      std::string* out, const std::vector<int>* judgedBytes) {
    std::string line;
    bool written = false;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (i > 0) line += separator;
        const bool judged = judgedBytes != nullptr && i < judgedBytes->size();
        if ((judged ? static_cast<std::size_t>((*judgedBytes)[i]) : titles[i].size()) < kMinText) continue;
        line += titles[i];
        written = true;
    }
    if (!written) return;
    *out += line;
    if (closed) *out += "\r\n";
}

void formatListRows(const std::vector<SectionRow>& rows, int columns, const std::string& separator,
                    std::string* out) {
    for (const SectionRow& row : rows) {
        for (std::size_t k = 0; k < row.cells.size(); ++k) {
            if (k > 0) *out += separator;
            *out += row.cells[k];
        }
        if (!row.cells.empty() && row.cells.size() >= static_cast<std::size_t>(columns)) *out += "\r\n";
    }
}

void formatListView(const SectionModel& model, const std::string& separator, std::string* out) {
    if (model.hasHeader) formatListHeader(model.header, separator, true, out, &model.headerJudgedBytes);
    formatListRows(model.rows, model.columns, separator, out);
    if (model.status == SectionStatus::Empty || model.status == SectionStatus::Failed ||
        model.status == SectionStatus::CutShort)
        *out += kFailureLine;
}

} // namespace vantor
