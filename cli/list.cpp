// disksetup list: the catalogue's header and one row per record, as text or JSON.
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/open_package.h"

#include "package/catalogue.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct SegmentRow {
    uint16_t disk;
    uint32_t offset;
    uint32_t length;
};

const char* KindOf(const uint8_t* record) {
    if (RecordFlags(record) & FlagNotInstalled) return "not installed";
    return RecordIsShared(record) ? "shared" : "ordinary";
}

std::string VersionText(const uint8_t* record) {
    if (!RecordIsShared(record)) return "-";
    uint32_t ms, ls;
    RecordVersion(record, &ms, &ls);
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
    return text;
}

std::vector<SegmentRow> SegmentsOf(const uint8_t* record) {
    std::vector<SegmentRow> rows;
    for (const uint8_t* s = RecordFirstSegment(record);; s += SegmentSize) {
        uint16_t disk = SegmentDisk(s);
        if (disk == 0 || SegmentLength(s) == 0) break;
        rows.push_back({disk, SegmentOffset(s), SegmentLength(s)});
    }
    return rows;
}

void PrintText() {
    std::printf("Package:  %s\n", InsvPackage ? "INSV" : "ordinary");
    std::printf("Program:  %s\n", EscapeName(Header.ProgramName).c_str());
    std::printf("Title:    %s\n", EscapeName(Header.Title).c_str());
    std::printf("Records:  %u\n", CatalogueRecordCount());
    std::printf("Required: %u Kb\n", RequiredKb);
    if (CatalogueRecordCount() == 0) return;
    std::printf("\n%5s  %-13s %7s  %-15s %-24s %s\n", "#", "Kind", "SizeKb", "Version", "Name",
                "Segments");
    const uint8_t* record = FirstRecord();
    for (uint32_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record)) {
        std::string segments;
        for (const SegmentRow& s : SegmentsOf(record))
            segments += (segments.empty() ? "" : " ") + std::to_string(s.disk) + ":" +
                        std::to_string(s.offset) + "+" + std::to_string(s.length);
        // The name's column is 24 characters wide, not bytes: UTF-8 takes more for some.
        std::string name = EscapeName(RecordName(record));
        size_t width =
            std::count_if(name.begin(), name.end(), [](char c) { return (c & 0xC0) != 0x80; });
        name.append(width < 24 ? 24 - width : 0, ' ');
        std::printf("%5u  %-13s %7u  %-15s %s %s\n", i + 1, KindOf(record), RecordSizeKb(record),
                    VersionText(record).c_str(), name.c_str(),
                    segments.empty() ? "(empty)" : segments.c_str());
    }
}

void PrintJson() {
    nlohmann::ordered_json doc;
    doc["format"] = JsonFormat;
    doc["command"] = "list";
    doc["kind"] = InsvPackage ? "INSV" : "ordinary";
    doc["program"] = AnsiToUtf8(Header.ProgramName);
    doc["title"] = AnsiToUtf8(Header.Title);
    doc["recordCount"] = CatalogueRecordCount();
    doc["requiredKb"] = RequiredKb;
    doc["records"] = nlohmann::ordered_json::array();
    const uint8_t* record = FirstRecord();
    for (uint32_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record)) {
        nlohmann::ordered_json row;
        row["name"] = AnsiToUtf8(RecordName(record));
        row["kind"] = KindOf(record);
        row["flags"] = RecordFlags(record);
        row["flagNames"] = FlagNames(record);
        row["sizeKb"] = RecordSizeKb(record);
        row["version"] = RecordIsShared(record) ? nlohmann::ordered_json(VersionText(record))
                                                : nlohmann::ordered_json(nullptr);
        row["segments"] = nlohmann::ordered_json::array();
        for (const SegmentRow& s : SegmentsOf(record))
            row["segments"].push_back(
                {{"disk", s.disk}, {"offset", s.offset}, {"length", s.length}});
        doc["records"].push_back(row);
    }
    std::printf("%s\n", doc.dump(2).c_str());
}

} // namespace

std::vector<std::string> FlagNames(const uint8_t* record) {
    std::vector<std::string> names;
    if (RecordFlags(record) & FlagNotInstalled) names.push_back("notInstalled");
    if (RecordIsShared(record)) names.push_back("shared");
    return names;
}

int RunList(const ListOptions& options) {
    OpenedPackage package;
    int code = OpenPackage(options.path, &package);
    if (code != ExitOk) return code;
    if (options.json)
        PrintJson();
    else
        PrintText();
    return ExitOk;
}
