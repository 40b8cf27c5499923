#include "app/common/output_clash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "app/common/option_reading.h"

namespace agv {

namespace {

namespace fs = std::filesystem;

/// Where an output goes: standard output, or a file by its resolved name and, when it
/// exists, its device and inode.
struct Place {
    bool standardOutput = false;
    std::string name;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

Place placeOf(const std::string& path) {
    Place place;
    struct stat info {};
    if (path == "-") {
        place.standardOutput = true;
        place.exists = ::fstat(STDOUT_FILENO, &info) == 0;
    } else {
        std::error_code ec;
        const fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
        place.name = ec ? path : resolved.string();
        place.exists = ::stat(path.c_str(), &info) == 0;
    }
    if (place.exists) {
        place.device = info.st_dev;
        place.inode = info.st_ino;
    }
    return place;
}

bool samePlace(const Place& a, const Place& b) {
    if (a.standardOutput && b.standardOutput) return true;
    if (a.exists && b.exists) return a.device == b.device && a.inode == b.inode;
    return !a.standardOutput && !b.standardOutput && a.name == b.name;
}

}  // namespace

bool checkSeparateOutputs(const std::vector<NamedOutput>& outputs, std::string& error) {
    std::vector<Place> places;
    for (const NamedOutput& output : outputs)
        places.push_back(placeOf(output.path));
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (!samePlace(places[i], places[j])) continue;
            const bool standard = places[i].standardOutput || places[j].standardOutput;
            error = outputs[j].option + " and " + outputs[i].option + " cannot both write to " +
                    (standard ? std::string("standard output")
                              : quoted(outputs[i].path) + ": one output, one target");
            return false;
        }
    }
    return true;
}

}  // namespace agv
