#include "BenchSupport.h"

#include <cstdio>

#include "core/io/LineSettings.h"
#include "sim/FirmwareGenerator.h"

namespace rq::bench {

void MeteredPort::carried(std::size_t bytes) {
    const auto line = parseLineSettings(settings());
    if (!line) return;
    lineTime_ += Seconds(static_cast<double>(bytes) * bitsPerCharacter(*line) / line->baud);
}

FirmwareFile generatedFirmware() {
    FirmwareFile firmware;
    firmware.contents = sim::generateFirmware({});
    firmware.length = firmware.contents.size();
    firmware.valid = true;
    return firmware;
}

void print(const std::string& name, Seconds value) {
    std::printf("%-78s %9.3f s\n", name.c_str(), value.count());
}

void printAgainstFloor(const std::string& name, Seconds wall, Seconds floor, const std::string& target) {
    print(name + "wall time", wall);
    print(name + "floor", floor);
    std::printf("%-78s %9.4f\n", (name + "ratio to the floor (target < " + target + ")").c_str(),
                wall / floor);
}

void printRun(const std::string& name, const Adapter& adapter, Seconds wall, Seconds floor, Seconds plainWall,
              const std::string& target) {
    if (adapter.latency == Millis(0)) return printAgainstFloor(name, wall, floor, target);
    print(name + "wall time", wall);
    print(name + "added by the adapter", wall - plainWall);
}

}  // namespace rq::bench
