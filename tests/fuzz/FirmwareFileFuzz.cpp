// The firmware file reader and the programming image, on files of the input's making.

#include <unistd.h>

#include "FuzzSupport.h"
#include "core/FakePort.h"
#include "core/TempDir.h"
#include "core/flash/ImageBuild.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    static const test::TempDir dir;
    const std::string path = dir.file("fuzz.bin", fuzz::Bytes(data, data + size));
    FirmwareRead read = readFirmwareFile(path);
    fuzz::require(read.contents.size() <= kFirmwareReadLimit, "no more is read than the limit");
    if (read.result != FirmwareLoad::Ok) return 0;
    fuzz::require(read.length == size, "the length is the file's");
    firmwareVersionCaption(read.contents);

    test::FakePort port;
    sim::VirtualClock clock;
    SilentView view;
    WizardState state;
    state.firmware = {path, "fuzz.bin", read.length, std::move(read.contents), true};
    StepContext context{state, port, clock, view};
    fuzz::require((buildProgrammingImage(context) == 36) == (size > kFirmwareHeaderSize + kFlashSize + 1),
                  "only a long file is refused");
    for (std::size_t at = 0; at < kFlashSize; ++at) {
        const std::size_t inFile = kFirmwareHeaderSize + at;
        const std::uint8_t expected = inFile < size ? data[inFile] : 0xFF;
        fuzz::require((*state.image)[at / kBlockSize][at % kBlockSize] == expected,
                      "the image holds the file's data, FFh past its end");
    }
    return 0;
}
