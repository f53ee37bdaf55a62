#pragma once
// Optical drives that hold a video DVD, and volume labels. A drive is named by its device path
// (/dev/sr0); a disc may also be reached through its mount point, a disc folder or an ISO image,
// which VolumeLabel accepts as well.
#include <string>
#include <vector>

namespace vc {

struct OpticalDrive {
    std::string device;       // /dev/sr0
    std::string mount_point;  // empty when the disc is not mounted
    std::string volume_label; // may be empty
    // "%s: [%s]" of the device and the label, as the drive list shows it.
    std::string DisplayName() const { return device + ": [" + volume_label + "]"; }
};

// Optical drives (sr devices under `dev_dir`, and optical devices named in `mounts_file`) whose
// disc has VIDEO_TS/VIDEO_TS.IFO: on the mounted file system, or, for a disc that is not mounted,
// in the disc's ISO 9660 directory. In device-name order.
std::vector<OpticalDrive> ListVideoDvdDrives(const std::string& mounts_file = "/proc/mounts",
                                             const std::string& dev_dir = "/dev");

// The volume label of a device, an ISO image, a mount point or a disc folder: the ISO 9660
// volume id when it can be read, else the file system label the system knows for the mounted
// device, else the disc folder's name (the folder above VIDEO_TS). Empty when nothing applies.
std::string VolumeLabel(const std::string& drive, const std::string& mounts_file = "/proc/mounts");

// True when the device is an optical drive (an sr device, or a link to one such as /dev/cdrom).
bool IsOpticalDevice(const std::string& device);

} // namespace vc
