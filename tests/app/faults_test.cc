// Each write of a run made to fail in turn, by a file-size limit and by a
// full disk: the failure is printed, earlier files stay byte for byte, files
// written before the failure are complete, and no temporary file is left.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

#include "sioc_lib/path_text.h"
#include "test_util.h"

namespace {

using test::kBanner;
using test::kPrompt;
const std::string kList = "Vorlantrv.lst";
const std::string kIni = "sioc.ini";
const std::string kBackup = "siocini_before_setup_Vorlantrv.ini";
const std::string kAtcBoard =
    "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0005\t\\\\?\\hid#vid_0000&pid_0010#1#x\n";

std::string bigText() {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;  // about 2 KB: over the limit and within one 4 KB page
}

struct Scenario {
  const char* name;
  std::string moduleList;
  std::optional<std::string> earlierList, earlierIni;
  std::string failing;               // the write that fails
  std::vector<std::string> written;  // the writes before it
  size_t pagesLeft;                  // free 4 KB pages on the full disk
};

const Scenario kScenarios[] = {
    {"module list", bigText(), "earlier\r\n", "old\r\n", kList, {}, 0},
    {"backup", "a\r\n", std::nullopt, bigText(), kBackup, {kList}, 1},
    {"sioc.ini", "a\r\n", std::nullopt, "old\r\n", kIni, {kList, kBackup}, 2},
};

class FaultsTest : public testing::Test {
 protected:
  // Lays out an installation below root and returns its base folder.
  std::filesystem::path layOut(const std::filesystem::path& root, const Scenario& s) {
    const auto base = root / "Sim";
    std::filesystem::create_directories(base / "Vorlancockpit/SIOC/Kesmira/TRV_setup");
    test::writeBytes(base / "Vorlancockpit/TRVatc/module.lst", s.moduleList);
    if (s.earlierList) test::writeBytes(base / kList, *s.earlierList);
    if (s.earlierIni) test::writeBytes(base / kIni, *s.earlierIni);
    // The device list lives in the installation too; write it before the
    // disk is filled so that the run's own copy takes no new space.
    test::writeBytes(base / "Vorlancockpit/SIOC/Kesmira/devices.txt", kAtcBoard);
    return base;
  }

  void runAndCheck(const std::filesystem::path& base, const Scenario& s,
                   const std::string& shellSetup) {
    const auto result = test::runProgram(TRV_SETUP_SCRIPTED_EXE,
                                         base / "Vorlancockpit/SIOC/Kesmira/TRV_setup",
                                         kAtcBoard, "", shellSetup);
    std::string expected = kBanner + "atc module detected\n\n\n";
    for (const auto& name : s.written) {
      expected += sioc_lib::windowsForm(base / name) + " created.\n";
    }
    expected +=
        "! Failed to create " + sioc_lib::windowsForm(base / s.failing) + "\n" + kPrompt;
    EXPECT_EQ(result.output, expected) << s.name;

    const auto has = [&](const std::string& name) {
      return std::find(s.written.begin(), s.written.end(), name) != s.written.end();
    };
    EXPECT_EQ(test::readBytes(base / kList), has(kList) ? s.moduleList : s.earlierList)
        << s.name;
    EXPECT_EQ(test::readBytes(base / kIni), s.earlierIni) << s.name;
    EXPECT_EQ(test::readBytes(base / kBackup), has(kBackup) ? s.earlierIni : std::nullopt)
        << s.name;
    for (const auto& file : test::listFiles(base)) {
      EXPECT_EQ(file.find("new"), std::string::npos)
          << s.name << ": left behind " << file;
    }
  }
};

TEST_F(FaultsTest, FileSizeLimit) {
  for (const Scenario& s : kScenarios) {
    test::TempDir dir;
    // 512 bytes per file; the signal would otherwise end the process.
    runAndCheck(layOut(dir.path(), s), s, "ulimit -f 1; trap '' XFSZ;");
  }
}

// A small tmpfs of its own, unmounted at the end.
class SmallDisk {
 public:
  explicit SmallDisk(const std::filesystem::path& folder) : folder_(folder) {
    std::filesystem::create_directories(folder);
    mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    error_ = errno;
  }
  ~SmallDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  std::string error() const { return std::strerror(error_); }

  // Fills the disk up to the given number of free pages.
  void fill(size_t pagesLeft) {
    struct statvfs info {};
    ASSERT_EQ(statvfs(folder_.c_str(), &info), 0);
    const size_t page = 4096;
    const size_t free = info.f_bavail * info.f_frsize;
    ASSERT_GE(free, (pagesLeft + 1) * page);
    test::writeBytes(folder_ / "filler", std::string(free - pagesLeft * page, 'f'));
  }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  int error_ = 0;
};

TEST_F(FaultsTest, FullDisk) {
  for (const Scenario& s : kScenarios) {
    test::TempDir dir;
    SmallDisk disk(dir / "disk");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root: " << disk.error();
    const auto base = layOut(dir / "disk", s);
    disk.fill(s.pagesLeft);
    runAndCheck(base, s, "");
  }
}

}  // namespace
