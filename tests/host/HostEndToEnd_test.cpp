// The real talvane-host program against the real plug-in library.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TalvaneVersion.h"

namespace {

struct HostRun {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error, captured apart
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadFile(const std::string& path);

// Runs the shell command line with standard error sent to a file of its own,
// so that what the program writes to each stream can be told apart.
HostRun Run(const std::string& commandLine) {
  HostRun run;
  char errPath[] = "/tmp/talvane-e2e-stderr-XXXXXX";
  int fd = mkstemp(errPath);
  if (fd < 0) return run;
  close(fd);
  std::string command = "{ " + commandLine + " ; } 2>" + Quote(errPath);
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  run.err = ReadFile(errPath);
  unlink(errPath);
  return run;
}

// The host with arguments as given (shell words), nothing added.
HostRun HostBare(const std::string& arguments, const std::string& prefix = "") {
  return Run(prefix + Quote(TALVANE_HOST_EXE) + " " + arguments);
}

// The host in English with the given plug-in.
HostRun Host(const std::string& arguments, const std::string& plugin = TALVANE_PLUGIN,
             const std::string& prefix = "") {
  return HostBare("--lang en --plugin " + Quote(plugin) + " " + arguments, prefix);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The names in a folder, sorted (bytes as the system has them).
std::vector<std::string> FolderNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The first bytes of each kind of picture.
struct PictureKind {
  const char* extension;
  std::string magic;
};
const PictureKind kPictureKinds[] = {
    {".png", "\x89PNG"}, {".svg", "<?xml"}, {".pdf", "%PDF"}};

class HostEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/talvane-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    doc = dir + "/doc.tlv";
  }
  void TearDown() override { std::system(("rm -rf " + Quote(dir)).c_str()); }

  std::string dir;
  std::string doc;
};

TEST_F(HostEndToEnd, RegistersTheClassAndReportsIt) {
  HostRun run = Host("info");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("class \"Talvane\", identifiers stdTlvn / _syVect", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("interface 0x00030100\n"), std::string::npos);
  // Registration, symbol font included, logged nothing.
  EXPECT_EQ(run.err, "");
}

TEST_F(HostEndToEnd, CreateListSetAndReloadKeepSettings) {
  HostRun created = Host("create " + Quote(doc) + " 2");
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_EQ(created.out, doc + ": 2 default objects written\n");
  EXPECT_EQ(created.err, "");
  HostRun list = Host("list " + Quote(doc));
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.err, "");
  EXPECT_NE(list.out.find("2 objects, big-endian"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("UnicodeText = \"E01C;E033;E034;E036;E037;E038;E000;E000;E000;E085\""),
            std::string::npos);
  EXPECT_NE(list.out.find("Brush = {Color: \"(000;000;000;255)\", Style: \"Solid\"}"),
            std::string::npos);

  HostRun set = Host("set " + Quote(doc) + " 1 FontSize 72");
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out.rfind("#1 Talvane  frame (", 0), 0u) << set.out;
  EXPECT_NE(set.out.find("    FontSize = 72\n"), std::string::npos) << set.out;
  EXPECT_EQ(set.err, "");
  ASSERT_EQ(Host("set " + Quote(doc) + " 1 LineType None").exitCode, 0);
  ASSERT_EQ(Host("set " + Quote(doc) + " 0 Brush.Color '(255;0;0;255)'").exitCode, 0);
  list = Host("list " + Quote(doc));
  size_t second = list.out.find("#1 ");
  ASSERT_NE(second, std::string::npos);
  std::string first = list.out.substr(0, second);
  std::string rest = list.out.substr(second);
  EXPECT_NE(first.find("Color: \"(255;000;000;255)\""), std::string::npos) << list.out;
  EXPECT_NE(rest.find("FontSize = 72"), std::string::npos) << list.out;
  EXPECT_NE(rest.find("LineType = \"None\""), std::string::npos);
  EXPECT_EQ(rest.find("LineBeg"), std::string::npos);
}

TEST_F(HostEndToEnd, LittleEndianDocumentsReadBackTheSame) {
  std::string little = dir + "/little.tlv";
  ASSERT_EQ(Host("--byte-order little create " + Quote(little)).exitCode, 0);
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  std::string a = ReadFile(little), b = ReadFile(doc);
  EXPECT_EQ(a.size(), b.size());
  EXPECT_NE(a, b);
  HostRun la = Host("list " + Quote(little));
  HostRun lb = Host("list " + Quote(doc));
  EXPECT_NE(la.out.find("little-endian"), std::string::npos);
  EXPECT_EQ(la.out.substr(la.out.find("#0")), lb.out.substr(lb.out.find("#0")));
}

TEST_F(HostEndToEnd, RefusedValuesLeaveTheDocumentUntouched) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  std::string before = ReadFile(doc);
  struct Case {
    const char* args;
    const char* message;
  } cases[] = {
      {" 0 FontSize 500", "status -706"},
      {" 0 FontSize big", "status -706"},
      {" 0 LineType Sideways", "status -706"},
      {" 0 UnicodeText '0041;0100'", "status -706"},
      // What lenient readers would clamp or cut short is no value kept as typed.
      {" 0 Brush.Color '(-1;-1;-1;255)junk'", "status -706"},
      {" 0 Brush.Color '(300;5;5;255)'", "status -706"},
      {" 0 Brush.Color '(0;0;0;255)!'", "status -706"},
      {" 0 UnicodeText 'E01C;E033junk'", "status -706"},
      {" 0 NoSuchKey 1", "status -706"},
      {" 5 FontSize 12", "status -707"},
  };
  for (const Case& c : cases) {
    HostRun run = Host("set " + Quote(doc) + c.args);
    EXPECT_EQ(run.exitCode, 1) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
    EXPECT_EQ(run.out, "") << c.args;
    EXPECT_EQ(ReadFile(doc), before) << c.args;
  }
}

TEST_F(HostEndToEnd, DocumentsWithARecordingAndUnknownChunksAreListedAndKeepTheRecording) {
  ASSERT_EQ(Host("create " + Quote(doc) + " 2").exitCode, 0);
  // As the studio writes one: the recording after the head; and a chunk of a
  // later kind among the objects.
  std::string bytes = ReadFile(doc);
  const std::string recording = std::string("rcrd\0\0\0\x0D", 8) + "sons/take.wav";
  bytes.insert(16, recording);
  bytes.insert(bytes.find("objt", 40), std::string("xtra\0\0\0\x02ok", 10));
  WriteFile(doc, bytes);
  HostRun list = Host("list " + Quote(doc));
  ASSERT_EQ(list.exitCode, 0) << list.out;
  EXPECT_NE(list.out.find("2 objects"), std::string::npos) << list.out;
  // A change saved by the reference host keeps the recording where it was.
  ASSERT_EQ(Host("set " + Quote(doc) + " 1 FontSize 72").exitCode, 0);
  EXPECT_EQ(ReadFile(doc).substr(16, recording.size()), recording);
}

TEST_F(HostEndToEnd, DamagedDocumentsAreReportedWithTheirStatus) {
  ASSERT_EQ(Host("create " + Quote(doc) + " 2").exitCode, 0);
  std::string good = ReadFile(doc);

  struct Case {
    std::string name;
    std::string bytes;
    const char* message;
  };
  std::string unknownClass = good;
  unknownClass.replace(unknownClass.find("stdTlvn"), 7, "otherCl");
  std::string hugeChunk = good;
  hugeChunk.replace(good.find("objt") + 4, 4, "\x7F\xFF\xFF\xFF", 4);
  std::string badOrder = good;
  badOrder.replace(8, 4, "MIDL");
  const Case cases[] = {
      {"truncated", good.substr(0, good.size() - 5), "status -"},
      {"unknown class", unknownClass, "status -704"},
      {"chunk size past the end", hugeChunk, "status -705"},
      {"no byte order", badOrder, "status -705"},
      {"empty", "", "status -705"},
      {"not a document", "hello, world\n", "status -705"},
  };
  for (const Case& c : cases) {
    std::string path = dir + "/damaged.tlv";
    WriteFile(path, c.bytes);
    HostRun run = Host("list " + Quote(path));
    EXPECT_EQ(run.exitCode, 1) << c.name << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << "\n" << run.err;
    EXPECT_NE(run.err.find("talvane-host: can't read the document " + path + " (status -"),
              std::string::npos)
        << c.name << "\n" << run.err;
    EXPECT_EQ(run.out, "") << c.name;
    // A set on a damaged document writes nothing.
    HostRun set = Host("set " + Quote(path) + " 0 FontSize 12");
    EXPECT_EQ(set.exitCode, 1) << c.name;
    EXPECT_EQ(set.out, "") << c.name;
    EXPECT_EQ(ReadFile(path), c.bytes) << c.name;
  }
}

TEST_F(HostEndToEnd, MissingPluginAndPluginWithoutEntryAreReported) {
  HostRun missing = Host("info", dir + "/NoSuchPlugin.so");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("talvane-host: can't register the plug-in " + dir +
                             "/NoSuchPlugin.so"),
            std::string::npos)
      << missing.err;
  EXPECT_NE(missing.err.find("(status -701, kQVErrPluginNotFound)\n"), std::string::npos)
      << missing.err;
  EXPECT_EQ(missing.out, "");

  HostRun noEntry = Host("info", TALVANE_NO_ENTRY_PLUGIN);
  EXPECT_EQ(noEntry.exitCode, 1);
  EXPECT_NE(noEntry.err.find("(status -702, kQVErrPluginNoEntry)\n"), std::string::npos)
      << noEntry.err;
  EXPECT_EQ(noEntry.out, "");
}

TEST_F(HostEndToEnd, InspectorPanelShowsAndAppliesChangesInFrench) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  HostRun panel = Host("--lang fr inspect " + Quote(doc) + " 0");
  ASSERT_EQ(panel.exitCode, 0) << panel.err;
  EXPECT_EQ(panel.err, "");
  EXPECT_NE(panel.out.find("Claviers"), std::string::npos) << panel.out;
  EXPECT_NE(panel.out.find("[Brindel]"), std::string::npos) << panel.out;
  EXPECT_NE(panel.out.find("Haut | [Milieu] | Bas"), std::string::npos) << panel.out;

  HostRun none = Host("--lang fr inspect " + Quote(doc) + " 0 4 Aucune");
  ASSERT_EQ(none.exitCode, 0) << none.err;
  EXPECT_EQ(none.err, "");
  EXPECT_NE(none.out.find("Changer la prolongation du Talvane"), std::string::npos);
  EXPECT_EQ(none.out.find("Début/Fin"), std::string::npos) << none.out;

  HostRun size = Host("inspect " + Quote(doc) + " 0 2 500");
  EXPECT_NE(size.out.find("2 EditNum    200"), std::string::npos) << size.out;
  HostRun list = Host("list " + Quote(doc));
  EXPECT_NE(list.out.find("FontSize = 200"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("LineType = \"None\""), std::string::npos);

  // A hidden control, an unknown item and a non-number are refused.
  std::string before = ReadFile(doc);
  struct Refused {
    const char* args;
    const char* message;
  } refused[] = {
      {" 0 6 Up", "talvane-host: the panel has no control 6 to change (status -706"},
      {" 0 1 Nowhere", "talvane-host: control 1 has no item Nowhere (status -706"},
      {" 0 3 big", "talvane-host: control 3 takes a number, not big (status -706"},
      {" 7", "talvane-host: no object 7 (status -707"},
  };
  for (const Refused& r : refused) {
    HostRun run = Host("inspect " + Quote(doc) + r.args);
    EXPECT_EQ(run.exitCode, 1) << r.args;
    EXPECT_NE(run.err.find(r.message), std::string::npos) << r.args << "\n" << run.err;
    EXPECT_EQ(run.out, "") << r.args;
  }
  EXPECT_EQ(ReadFile(doc), before);
}

TEST_F(HostEndToEnd, RendersTheScoreAsPngAndSvgOfTheExpectedSize) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  std::string png = dir + "/score.png";
  HostRun run = Host("render " + Quote(doc) + " " + Quote(png));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, png + ": 1 object drawn\n");
  EXPECT_EQ(run.err, "");
  std::string bytes = ReadFile(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  auto be32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
  };
  // One 640 x 64 frame with a margin of 12 on every side, 2 pixels a unit.
  EXPECT_EQ(be32(16), 1328u);
  EXPECT_EQ(be32(20), 176u);

  std::string svg = dir + "/library.svg";
  ASSERT_EQ(Host("render " + Quote(doc) + " " + Quote(svg) + " --library").exitCode, 0);
  EXPECT_NE(ReadFile(svg).find("<svg"), std::string::npos);

  // A picture kind the host can't write is a usage error, found before
  // anything is loaded: even without a plug-in.
  HostRun bmp = Host("render " + Quote(doc) + " " + Quote(dir + "/score.bmp"), dir + "/none.so");
  EXPECT_EQ(bmp.exitCode, 2);
  EXPECT_EQ(bmp.err, "talvane-host: can't tell the kind of picture " + dir +
                         "/score.bmp (.png, .svg or .pdf) (see talvane-host --help)\n");
  EXPECT_EQ(bmp.out, "");
  EXPECT_EQ(access((dir + "/score.bmp").c_str(), F_OK), -1);

  // A picture that can't be written fails the command.
  HostRun unwritable = Host("render " + Quote(doc) + " " + Quote(dir + "/no/such/folder.png"));
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("talvane-host: can't draw into " + dir +
                                "/no/such/folder.png (status -978, kQVErrFileOpen)\n"),
            std::string::npos)
      << unwritable.err;
  EXPECT_EQ(unwritable.out, "");
}

TEST_F(HostEndToEnd, DemoRunsThroughAndFailsWhenItsFolderIsAFile) {
  HostRun demo = Host("demo " + Quote(dir + "/demo"));
  EXPECT_EQ(demo.exitCode, 0) << demo.err;
  EXPECT_NE(demo.out.find("UnicodeText = \"E04C;E04D;E052;E000;E040\""), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find("set FontSize 500 -> status -706"), std::string::npos);
  // The refused value is logged where it is found, on standard error only.
  EXPECT_EQ(demo.out.find("QVLib"), std::string::npos) << demo.out;
  EXPECT_NE(demo.err.find("### QVLib Error -706: "), std::string::npos) << demo.err;

  // The demo's folder is a file: the command fails.
  WriteFile(dir + "/plain", "x");
  HostRun blocked = Host("demo " + Quote(dir + "/plain"));
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_NE(blocked.err.find("(status -"), std::string::npos) << blocked.err;
}

// A mistyped command line is refused with exit status 2 and one line on
// standard error, before the plug-in is loaded: a missing plug-in changes
// nothing.
TEST_F(HostEndToEnd, UsageErrorsExitTwoWithAOneLineHintBeforeLoading) {
  const std::string missing = dir + "/NoSuchPlugin.so";
  struct Case {
    std::string args;
    std::string message;
  } cases[] = {
      {"", "no command given"},
      {"frobnicate", "unknown command frobnicate"},
      {"--frob info", "unknown option --frob"},
      {"--byte-order middle info", "--byte-order takes big or little"},
      {"info --lang", "--lang needs a value"},
      {"info extra", "wrong number of arguments for info"},
      {"create", "wrong number of arguments for create"},
      {"create a b c", "wrong number of arguments for create"},
      {"create " + Quote(doc) + " 0", "COUNT must be 1 to 100000"},
      {"create " + Quote(doc) + " 100001", "COUNT must be 1 to 100000"},
      {"list", "wrong number of arguments for list"},
      {"set onlyone", "wrong number of arguments for set"},
      {"inspect " + Quote(doc) + " 0 1", "wrong number of arguments for inspect"},
      {"type " + Quote(doc) + " 0", "wrong number of arguments for type"},
      {"type " + Quote(doc) + " 0 KEY_R Hyper+KEY_R", "unknown key Hyper+KEY_R"},
      {"render " + Quote(doc), "wrong number of arguments for render"},
      {"render " + Quote(doc) + " out.png --gallery", "unknown render option --gallery"},
      {"demo a b", "wrong number of arguments for demo"},
      {"-- --version", "unknown command --version"},
  };
  for (const Case& c : cases) {
    HostRun run = Host(c.args, missing);
    EXPECT_EQ(run.exitCode, 2) << c.args;
    EXPECT_EQ(run.err, "talvane-host: " + c.message + " (see talvane-host --help)\n") << c.args;
    EXPECT_EQ(run.out, "") << c.args;
  }
  EXPECT_EQ(access(doc.c_str(), F_OK), -1);
}

TEST_F(HostEndToEnd, HelpPrintsTheWholeUsageOnStandardOutput) {
  for (const char* help : {"-h", "--help", "--lang fr --help info", "info -h"}) {
    HostRun run = HostBare(help);
    EXPECT_EQ(run.exitCode, 0) << help;
    EXPECT_EQ(run.out.rfind("usage: talvane-host [options] [--] command [arguments]\n", 0), 0u)
        << help << "\n" << run.out;
    EXPECT_NE(run.out.find("  render DOC OUT [--library]"), std::string::npos) << help;
    EXPECT_NE(run.out.find("\nexit status: 0 done, 1 the command failed"), std::string::npos)
        << help;
    EXPECT_EQ(run.err, "") << help;
  }
}

TEST_F(HostEndToEnd, DoubleDashEndsTheOptions) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  // A document whose name starts with "-", named after "--".
  ASSERT_EQ(rename(doc.c_str(), (dir + "/-n.tlv").c_str()), 0);
  HostRun list = Host("-- list -n.tlv", TALVANE_PLUGIN, "cd " + Quote(dir) + " && ");
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out.rfind("-n.tlv: 1 object, big-endian\n", 0), 0u) << list.out;
  EXPECT_EQ(list.err, "");
  // After "--" an option's name is an argument like any other: here a
  // property value, refused by the object.
  HostRun set = Host("-- set -n.tlv 0 LineType --lang", TALVANE_PLUGIN, "cd " + Quote(dir) + " && ");
  EXPECT_EQ(set.exitCode, 1);
  EXPECT_NE(set.err.find("(status -706, kQVErrBadProperty)"), std::string::npos) << set.err;
  EXPECT_EQ(set.out, "");
}

TEST_F(HostEndToEnd, DemoWithoutAFolderWorksInTheTemporaryFolder) {
  const std::string tmp = dir + "/tmp";
  ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
  HostRun demo = Host("demo", TALVANE_PLUGIN, "TMPDIR=" + Quote(tmp + "/") + " ");
  ASSERT_EQ(demo.exitCode, 0) << demo.err;
  const std::string saved = "== Saved " + tmp + "/talvane-demo-";
  size_t at = demo.out.find(saved);
  ASSERT_NE(at, std::string::npos) << demo.out;
  std::string folder = demo.out.substr(at + 9, saved.size() - 9 + 6);
  EXPECT_EQ(demo.out.compare(at + saved.size() + 6, 10, "/demo.tlv\n"), 0) << demo.out;
  struct stat info {};
  ASSERT_EQ(stat((folder + "/demo.png").c_str(), &info), 0) << folder;
  EXPECT_TRUE(S_ISREG(info.st_mode));

  // A temporary folder that can't be made in fails the command.
  HostRun nowhere = Host("demo", TALVANE_PLUGIN, "TMPDIR=" + Quote(dir + "/missing") + " ");
  EXPECT_EQ(nowhere.exitCode, 1);
  EXPECT_NE(nowhere.err.find("talvane-host: can't make a folder for the demo in " + dir +
                             "/missing: No such file or directory (status -978"),
            std::string::npos)
      << nowhere.err;
  EXPECT_EQ(nowhere.out, "");
}

TEST_F(HostEndToEnd, VersionIsTheProjectsAndNeedsNoPlugin) {
  // No plug-in is loaded, so a missing one does not matter.
  for (std::string args : {"--version", "--plugin /nowhere.so --version info"}) {
    HostRun version = HostBare(args);
    EXPECT_EQ(version.exitCode, 0) << args;
    EXPECT_EQ(version.out, std::string("talvane-host ") + TALVANE_VERSION + "\n") << args;
    EXPECT_EQ(version.err, "") << args;
  }
}

TEST_F(HostEndToEnd, TypingEditsTheObjectInPlaceAndSavesOnlyAChangedText) {
  ASSERT_EQ(Host("create " + Quote(doc) + " 2").exitCode, 0);
  // Begin selects the whole text: the first symbol replaces it. Then a
  // second symbol, back over it, select all, copy, to the end and paste.
  HostRun run = Host("type " + Quote(doc) +
                     " 1 KEY_R shift+KEY_R Left BackSpace ctrl+KEY_Z ctrl+KEY_A ctrl+KEY_C Right"
                     " ctrl+KEY_V 0xFFFF");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("BackSpace: text changed\nctrl+KEY_Z: no change\n"
                         "ctrl+KEY_A: caret or selection moved\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("UnicodeText = \"E01D;E01D\"\nsaved\n"), std::string::npos) << run.out;
  HostRun list = Host("list " + Quote(doc));
  EXPECT_NE(list.out.find("UnicodeText = \"E01C;E033;"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("UnicodeText = \"E01D;E01D\""), std::string::npos) << list.out;

  // Keys that change nothing, and keys of no name, leave the file alone.
  const std::string before = ReadFile(doc);
  run = Host("type " + Quote(doc) + " 0 Left Left ctrl+KEY_W 4294967295 shift+ctrl+alt+Delete");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("unchanged, not saved"), std::string::npos) << run.out;
  EXPECT_EQ(Host("type " + Quote(doc) + " 0 KEY_R Hyper+KEY_R").exitCode, 2);
  EXPECT_EQ(Host("type " + Quote(doc) + " 0 KEY_R 4294967296").exitCode, 2);
  EXPECT_EQ(Host("type " + Quote(doc) + " 0 shift+shift+KEY_R").exitCode, 2);
  EXPECT_EQ(Host("type " + Quote(doc) + " 0").exitCode, 2);
  HostRun missing = Host("type " + Quote(doc) + " 2 KEY_R");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("talvane-host: no object 2 (status -707, kQVErrNoSuchObject)\n"),
            std::string::npos)
      << missing.err;
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(ReadFile(doc), before);
}

TEST_F(HostEndToEnd, DocumentNamesNeedNoNativeForm) {
  std::string wide = dir + "/文档.tlv";
  HostRun created = Host("create " + Quote(wide) + " 2");
  ASSERT_EQ(created.exitCode, 0) << created.out;
  HostRun list = Host("list " + Quote(wide));
  EXPECT_EQ(list.exitCode, 0) << list.out;
  EXPECT_NE(list.out.find("2 objects"), std::string::npos) << list.out;

  // A valid document is never damaged by its name.
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  std::string named = dir + "/文.tlv";
  WriteFile(named, ReadFile(doc));
  list = Host("list " + Quote(named));
  EXPECT_EQ(list.exitCode, 0) << list.out;
  EXPECT_EQ(Host("set " + Quote(named) + " 0 FontSize 30").exitCode, 0);
  EXPECT_NE(Host("list " + Quote(named)).out.find("FontSize = 30"), std::string::npos);
}

TEST_F(HostEndToEnd, FifoAndFolderAreRefusedAsNoFile) {
  std::string fifo = dir + "/fifo.tlv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string folder = dir + "/folder.tlv";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  for (const std::string& path : {fifo, folder}) {
    // A FIFO without a writer used to hold the host forever.
    HostRun run = Host("list " + Quote(path), TALVANE_PLUGIN, "timeout 60 ");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("QVLib Error -987: \"" + path + "\" is not a regular file"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("status -987"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(HostEndToEnd, SaveNeverWritesThroughAPlantedLink) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  std::string victim = dir + "/victim";
  WriteFile(victim, "precious");
  ASSERT_EQ(symlink(victim.c_str(), (doc + ".saving").c_str()), 0);
  HostRun run = Host("set " + Quote(doc) + " 0 FontSize 30");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_NE(Host("list " + Quote(doc)).out.find("FontSize = 30"), std::string::npos);
}

TEST_F(HostEndToEnd, ReadOnlyDocumentIsRefusedAndLinkedDocumentChangedAtItsTarget) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  ASSERT_EQ(chmod(doc.c_str(), 0444), 0);
  const std::string before = ReadFile(doc);
  HostRun refused = Host("set " + Quote(doc) + " 0 FontSize 30");
  EXPECT_EQ(refused.exitCode, 1) << refused.err;
  EXPECT_NE(refused.err.find("status -709"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(ReadFile(doc), before);
  struct stat info {};
  ASSERT_EQ(stat(doc.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0444u);

  ASSERT_EQ(chmod(doc.c_str(), 0640), 0);
  std::string link = dir + "/link.tlv";
  ASSERT_EQ(symlink("doc.tlv", link.c_str()), 0);
  HostRun changed = Host("set " + Quote(link) + " 0 FontSize 30");
  EXPECT_EQ(changed.exitCode, 0) << changed.out;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(stat(doc.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_NE(Host("list " + Quote(doc)).out.find("FontSize = 30"), std::string::npos);
}

TEST_F(HostEndToEnd, WriterWaitsForTheLockAndThenGivesUpWithoutWriting) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  const std::string before = ReadFile(doc);
  int fd = open(doc.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  HostRun run = Host("set " + Quote(doc) + " 0 FontSize 30");
  // Readers are not held up by a writer.
  HostRun list = Host("list " + Quote(doc));
  close(fd);
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("status -708"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadFile(doc), before);
  EXPECT_EQ(list.exitCode, 0) << list.out;
}

TEST_F(HostEndToEnd, PictureNamesAreTheBytesGiven) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  // One name Mac OS Roman can hold, one it cannot: neither is converted.
  for (const std::string name : {"é.png", "文档.svg"}) {
    HostRun run = Host("render " + Quote(doc) + " " + Quote(dir + "/" + name));
    EXPECT_EQ(run.exitCode, 0) << run.out;
  }
  EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"doc.tlv", "é.png", "文档.svg"}));
  EXPECT_EQ(ReadFile(dir + "/é.png").substr(0, 4), "\x89PNG");
  EXPECT_EQ(ReadFile(dir + "/文档.svg").substr(0, 5), "<?xml");
}

TEST_F(HostEndToEnd, FailedRenderLeavesTheOldPictureAndNoHalfOne) {
  ASSERT_EQ(Host("create " + Quote(doc) + " 3").exitCode, 0);
  // Files may not grow beyond one block: every picture fails part way
  // (the ignored signal turns the limit into a write error).
  const std::string limited = "trap '' XFSZ; ulimit -f 1; ";
  for (const PictureKind& kind : kPictureKinds) {
    SCOPED_TRACE(kind.extension);
    const std::string old = dir + "/old" + kind.extension;
    WriteFile(old, "the old picture");
    const std::string fresh = dir + "/new" + kind.extension;
    for (const std::string& out : {old, fresh}) {
      HostRun run = Host("render " + Quote(doc) + " " + Quote(out), TALVANE_PLUGIN, limited);
      EXPECT_EQ(run.exitCode, 1) << run.err;
      EXPECT_NE(run.err.find("status -"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFile(old), "the old picture");
    EXPECT_EQ(FolderNames(dir),
              (std::vector<std::string>{"doc.tlv", "old" + std::string(kind.extension)}));
    std::remove(old.c_str());
    // Without the limit the same render goes through.
    HostRun run = Host("render " + Quote(doc) + " " + Quote(fresh));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(ReadFile(fresh).substr(0, kind.magic.size()), kind.magic);
    std::remove(fresh.c_str());
  }
}

TEST_F(HostEndToEnd, RenderNeverWritesThroughAPlantedLink) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  const std::string victim = dir + "/victim";
  WriteFile(victim, "precious");
  // Links at names of the temporary pattern: none is ever opened.
  const std::vector<std::string> planted = {".score.png.saving-", ".score.png.saving-aaaaaaaa",
                                            "score.png.saving"};
  for (const std::string& name : planted) {
    ASSERT_EQ(symlink(victim.c_str(), (dir + "/" + name).c_str()), 0);
  }
  for (int i = 0; i < 5; ++i) {
    HostRun run = Host("render " + Quote(doc) + " " + Quote(dir + "/score.png"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
  }
  EXPECT_EQ(ReadFile(victim), "precious");
  struct stat info {};
  for (const std::string& name : planted) {
    ASSERT_EQ(lstat((dir + "/" + name).c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << name;
  }
  ASSERT_EQ(lstat((dir + "/score.png").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(ReadFile(dir + "/score.png").substr(0, 4), "\x89PNG");
  EXPECT_EQ(FolderNames(dir).size(), planted.size() + 3);
}

TEST_F(HostEndToEnd, RasterPicturesAreCappedByTheirPixelCount) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  std::string bytes = ReadFile(doc);
  // The frame's x2 and y2 (big-endian doubles after the class identifiers).
  auto setFrame = [&](double x2, double y2) {
    std::string changed = bytes;
    size_t at = bytes.find("objt") + 8 + 16 + 16;
    for (double v : {x2, y2}) {
      uint64_t raw;
      std::memcpy(&raw, &v, 8);
      for (int i = 0; i < 8; ++i) changed[at + i] = static_cast<char>((raw >> (56 - 8 * i)) & 0xFF);
      at += 8;
    }
    WriteFile(doc, changed);
  };
  // 16,000 x 16,000 units: each side fits the drawing port, the whole does not.
  setFrame(16000.0, 16000.0);
  HostRun huge = Host("render " + Quote(doc) + " " + Quote(dir + "/huge.png"));
  EXPECT_EQ(huge.exitCode, 1) << huge.err;
  EXPECT_EQ(huge.out, "");
  EXPECT_NE(huge.err.find("Error -710: The picture \"" + dir + "/huge.png\" would be too large "
                          "(32048 x 32048 pixels; at most 64000000 pixels are drawn)"),
            std::string::npos)
      << huge.err;
  // (3977 + 24) x 2 by (3976 + 24) x 2: 64,016,000 pixels, just over.
  setFrame(3977.0, 3976.0);
  HostRun over = Host("render " + Quote(doc) + " " + Quote(dir + "/over.png"));
  EXPECT_NE(over.err.find("(8002 x 8000 pixels;"), std::string::npos) << over.err;
  // A vector picture holds no pixels.
  HostRun svg = Host("render " + Quote(doc) + " " + Quote(dir + "/big.svg"));
  EXPECT_EQ(svg.exitCode, 0) << svg.out;
}

// The keypad and the ISO key beside left Shift come with the system's
// keyboard, not with the symbol layout: they type nothing into the symbols.
TEST_F(HostEndToEnd, KeysTheSymbolLayoutDoesNotListLeaveTheTextAlone) {
  ASSERT_EQ(Host("create " + Quote(doc)).exitCode, 0);
  const std::string before = ReadFile(doc);
  HostRun run = Host("type " + Quote(doc) + " 0 55 74 78 98 KEY_102ND shift+KEY_102ND");
  ASSERT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("KEY_102ND: no change\nshift+KEY_102ND: no change\n"
                         "UnicodeText = \"E01C;E033;E034;E036;E037;E038;E000;E000;E000;E085\"\n"
                         "unchanged, not saved\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(ReadFile(doc), before);
}

}  // namespace
