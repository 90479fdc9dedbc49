// A hostile maker note read through the formatter as a camera's block would bring it: built
// once for Canon notes and once for Nikon type 3 notes (STILLPIX_FUZZ_MAKE).
#include "exif/exif_formatter.h"
#include "fuzz/exif_source_input.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace stillpix;
    using namespace stillpix::fuzz;
    if (size > kMaxInputBytes) return -1;
    MakerNoteSource source;
    if (!SplitMakerNoteInput(data, size, source)) return -1;
    source.make = STILLPIX_FUZZ_MAKE;
    CExifFormatter formatter;
    formatter.Set(source, 4000, 3000);
    Require(formatter.Labels().size() == formatter.Values().size(),
            "every EXIF row has a label and a value");
    Require(formatter.IsoSpeed() >= 0, "an ISO speed from a maker note is not negative");
    return 0;
}
