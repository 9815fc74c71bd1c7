// Tests of the mount table reading behind a search of every volume.
#include "filesearch/volume_roots.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kMountInfo = "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
                              "22 26 0:21 / /sys rw,relatime - sysfs sysfs rw\n"
                              "25 23 0:23 / /dev/pts rw,relatime - devpts devpts rw\n"
                              "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                              "27 26 254:1 / /home rw,relatime - ext4 /dev/vdb rw\n"
                              "28 26 8:17 / /media/usb\\040stick rw shared:5 - vfat /dev/sdb1 rw\n"
                              "29 26 8:33 / /mnt/backup rw - ext4 /dev/sdc1 rw\n"
                              "30 26 254:0 /srv/data /mnt/bind rw - ext4 /dev/vda rw\n"
                              "31 26 8:17 / /run/media/me/again rw - vfat /dev/sdb1 rw\n"
                              "32 26 0:40 / /mnt/auto rw - autofs systemd-1 rw\n"
                              "broken line\n";

TEST(VolumeRootsTest, ParsesTheMountTable)
{
    const std::vector<TMountEntry> mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 10u);
    EXPECT_EQ(mounts[0].fMountPoint, "/proc");
    EXPECT_EQ(mounts[0].fType, "proc");
    EXPECT_EQ(mounts[5].fMountPoint, "/media/usb stick");
    EXPECT_EQ(mounts[5].fDevice, "8:17");
    EXPECT_EQ(mounts[7].fRoot, "/srv/data");
}

TEST(VolumeRootsTest, RootAndVolumesAreWalkedOnceEach)
{
    const std::vector<TMountEntry> mounts = ParseMountInfo(kMountInfo);
    EXPECT_EQ(VolumeRoots(mounts), QStringList({"/", "/media/usb stick/", "/mnt/backup/"}));
}

TEST(VolumeRootsTest, PseudoFileSystemsAndSecondMountsAreNeverEntered)
{
    const QSet<QString> never = FoldersNeverEntered(ParseMountInfo(kMountInfo));
    EXPECT_EQ(never, QSet<QString>({"/proc/", "/sys/", "/dev/pts/", "/mnt/bind/", "/run/media/me/again/",
                                    "/mnt/auto/"}));
    EXPECT_TRUE(IsPseudoFileSystemType("cgroup2"));
    EXPECT_FALSE(IsPseudoFileSystemType("ext4"));
    EXPECT_FALSE(IsPseudoFileSystemType("tmpfs"));
}

TEST(VolumeRootsTest, ThisMachinesTableHasTheRoot)
{
    const std::vector<TMountEntry> mounts = ReadMountTable();
    EXPECT_FALSE(mounts.empty());
    EXPECT_EQ(VolumeRoots(mounts).value(0), "/");
    EXPECT_FALSE(DesktopFolder().isEmpty());
}

} // namespace
