#include "platform/optical_drives.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace vc {

namespace fs = std::filesystem;

namespace {

constexpr int64_t kSector = 2048;

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    return s.substr(i);
}

fs::path Resolved(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    return ec ? fs::path(path) : p;
}

// /proc/mounts escapes blanks and a few other characters as octal: "\040".
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Mount {
    std::string device;
    std::string mount_point;
};

std::vector<Mount> ReadMounts(const std::string& mounts_file) {
    std::vector<Mount> mounts;
    std::ifstream in(mounts_file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Mount m;
        if (fields >> m.device >> m.mount_point)
            mounts.push_back({Unescape(m.device), Unescape(m.mount_point)});
    }
    return mounts;
}

bool ReadAt(std::ifstream& in, int64_t offset, char* buffer, int64_t size) {
    in.clear();
    in.seekg(offset);
    return static_cast<bool>(in.read(buffer, size));
}

// The ISO 9660 primary volume descriptor (sector 16) of a device or image, or empty.
std::string PrimaryVolumeDescriptor(std::ifstream& in) {
    std::string pvd(kSector, '\0');
    if (!ReadAt(in, 16 * kSector, pvd.data(), kSector) || pvd[0] != 1 || pvd.compare(1, 5, "CD001") != 0)
        return {};
    return pvd;
}

uint32_t Le32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}

// Looks up `name` (upper case, without ";1") in an ISO 9660 directory; returns its directory
// record or empty.
std::string FindInDirectory(std::ifstream& in, uint32_t extent, uint32_t size, const std::string& name) {
    size = std::min<uint32_t>(size, 64 * kSector); // a VIDEO_TS folder is small
    std::string dir(size, '\0');
    if (!ReadAt(in, int64_t(extent) * kSector, dir.data(), size))
        return {};
    for (size_t at = 0; at < dir.size();) {
        const auto len = static_cast<uint8_t>(dir[at]);
        if (len == 0) { // records do not cross sectors: go on at the next one
            at = (at / kSector + 1) * kSector;
            continue;
        }
        if (at + len > dir.size() || len < 34)
            break;
        const auto name_len = static_cast<uint8_t>(dir[at + 32]);
        std::string entry = Upper(dir.substr(at + 33, std::min<size_t>(name_len, len - 33)));
        if (auto semi = entry.find(';'); semi != std::string::npos)
            entry.erase(semi);
        if (entry == name)
            return dir.substr(at, len);
        at += len;
    }
    return {};
}

// VIDEO_TS/VIDEO_TS.IFO in the ISO 9660 file system of an unmounted disc or an image.
bool ImageHasVideoTs(const std::string& device) {
    std::ifstream in(device, std::ios::binary);
    const std::string pvd = in ? PrimaryVolumeDescriptor(in) : std::string();
    if (pvd.empty())
        return false;
    const std::string root = pvd.substr(156, 34);
    const std::string video_ts = FindInDirectory(in, Le32(root, 2), Le32(root, 10), "VIDEO_TS");
    if (video_ts.empty() || !(video_ts[25] & 0x02)) // must be a directory
        return false;
    return !FindInDirectory(in, Le32(video_ts, 2), Le32(video_ts, 10), "VIDEO_TS.IFO").empty();
}

// VIDEO_TS/VIDEO_TS.IFO below a folder, in either letter case (discs mounted as iso9660 often
// show lower-case names).
bool FolderHasVideoTs(const fs::path& folder) {
    std::error_code ec;
    for (const auto& dir : fs::directory_iterator(folder, ec)) {
        if (Upper(dir.path().filename().string()) != "VIDEO_TS" || !dir.is_directory(ec))
            continue;
        for (const auto& file : fs::directory_iterator(dir.path(), ec))
            if (Upper(file.path().filename().string()) == "VIDEO_TS.IFO" && file.is_regular_file(ec))
                return true;
    }
    return false;
}

std::string IsoVolumeId(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string pvd = in ? PrimaryVolumeDescriptor(in) : std::string();
    return pvd.empty() ? std::string() : Trim(pvd.substr(40, 32));
}

// The label udev knows for a device (/dev/disk/by-label), with "\x20" escapes undone.
std::string SystemLabel(const std::string& device) {
    std::error_code ec;
    const fs::path target = Resolved(device);
    for (const auto& entry : fs::directory_iterator("/dev/disk/by-label", ec)) {
        if (Resolved(entry.path().string()) != target)
            continue;
        std::string name = entry.path().filename().string(), out;
        for (size_t i = 0; i < name.size(); ++i) {
            if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size()) {
                out += static_cast<char>(std::stoi(name.substr(i + 2, 2), nullptr, 16));
                i += 3;
            } else {
                out += name[i];
            }
        }
        return out;
    }
    return {};
}

// Kernel names of optical drives: sr0, sr1, ... (and the older scd0).
bool IsOpticalName(const std::string& name) {
    for (const char* prefix : {"sr", "scd"}) {
        const std::string p(prefix);
        if (name.size() > p.size() && name.compare(0, p.size(), p) == 0 &&
            std::all_of(name.begin() + p.size(), name.end(), [](unsigned char c) { return std::isdigit(c); }))
            return true;
    }
    return false;
}

} // namespace

bool IsOpticalDevice(const std::string& device) {
    return IsOpticalName(fs::path(device).filename().string()) ||
           IsOpticalName(Resolved(device).filename().string());
}

std::string VolumeLabel(const std::string& drive, const std::string& mounts_file) {
    std::error_code ec;
    fs::path path(drive);
    if (!fs::is_directory(path, ec)) {
        const std::string id = IsoVolumeId(drive); // an image or a device
        return id.empty() ? SystemLabel(drive) : id;
    }
    // A folder: the disc mounted there, else the folder's own name.
    fs::path folder = Resolved(drive);
    if (Upper(folder.filename().string()) == "VIDEO_TS")
        folder = folder.parent_path();
    for (const auto& m : ReadMounts(mounts_file)) {
        if (Resolved(m.mount_point) != folder)
            continue;
        std::string label = IsoVolumeId(m.device);
        if (label.empty())
            label = SystemLabel(m.device);
        if (!label.empty())
            return label;
    }
    return folder.filename().string();
}

std::vector<OpticalDrive> ListVideoDvdDrives(const std::string& mounts_file, const std::string& dev_dir) {
    // Devices by resolved path, so /dev/cdrom and /dev/sr0 count once.
    std::map<std::string, OpticalDrive> drives;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dev_dir, ec)) {
        const std::string device = entry.path().string();
        const std::string name = entry.path().filename().string();
        if (name.rfind("sr", 0) == 0 && IsOpticalName(name))
            drives.emplace(Resolved(device).string(), OpticalDrive{device, {}, {}});
    }
    const auto mounts = ReadMounts(mounts_file);
    for (const auto& m : mounts) {
        if (!IsOpticalDevice(m.device))
            continue;
        auto [it, added] = drives.emplace(Resolved(m.device).string(), OpticalDrive{m.device, {}, {}});
        if (it->second.mount_point.empty())
            it->second.mount_point = m.mount_point;
    }
    std::vector<OpticalDrive> result;
    for (auto& [resolved, drive] : drives) {
        for (const auto& m : mounts) // a disc in a device found under dev_dir may be mounted too
            if (drive.mount_point.empty() && Resolved(m.device).string() == resolved)
                drive.mount_point = m.mount_point;
        const bool video =
            drive.mount_point.empty() ? ImageHasVideoTs(drive.device) : FolderHasVideoTs(drive.mount_point);
        if (!video)
            continue;
        drive.volume_label = IsoVolumeId(drive.device);
        if (drive.volume_label.empty())
            drive.volume_label = SystemLabel(drive.device);
        if (drive.volume_label.empty() && !drive.mount_point.empty())
            drive.volume_label = fs::path(drive.mount_point).filename().string();
        result.push_back(std::move(drive));
    }
    std::sort(result.begin(), result.end(),
              [](const OpticalDrive& a, const OpticalDrive& b) { return a.device < b.device; });
    return result;
}

} // namespace vc
