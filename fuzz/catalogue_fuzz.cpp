// Fuzz target: any bytes as a catalogue, loaded and walked record by record to the end of
// every segment list, as the transfer and the disksetup command walk them.
#include "fuzz/fuzz_support.h"

#include "package/catalogue.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzDrive();
    FuzzAnswerBoxes();
    FuzzWriteFile("SETUP.bin", data, size);
    PlatformOverrideProgramPath("F:\\SETUP.EXE");
    if (LoadCatalogue() == StatusOk) {
        volatile size_t sink = std::strlen(Header.ProgramName) + std::strlen(Header.Title);
        const uint8_t* record = FirstRecord();
        for (uint32_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record)) {
            uint32_t ms, ls;
            RecordVersion(record, &ms, &ls);
            sink = sink + std::strlen(RecordName(record)) + ms + ls + RecordSizeKb(record);
            for (const uint8_t* s = RecordFirstSegment(record);; s += SegmentSize) {
                if (SegmentDisk(s) == 0 || SegmentLength(s) == 0) break;
                sink = sink + SegmentOffset(s);
            }
        }
    }
    ReleaseCatalogue();
    return 0;
}
