// Loading and saving documents in-process: paths as bytes, chunks inside
// objects, payloads held inside their chunk, what is not a file.
#include "bridge/HostDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "bridge/HostObject.h"
#include "HostTestSupport.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVValue.h"

namespace {

using hosttest::Chunk;
using hosttest::OneObjectDocument;
using hosttest::ReadFile;
using hosttest::WriteFile;
using qvtest::LogCapture;

class HostDocumentTest : public hosttest::RegisteredHostTest {
 protected:
  // A saved one-object document with a font size of 72, split into parts.
  OneObjectDocument SavedParts() {
    HostDocument doc(*plugin);
    EXPECT_EQ(doc.AddObjects(1, "-default"), 0);
    QVDictionary size;
    size.SetValue("FontSize", QVValueSetasFloat32(72.0f));
    doc.Object(0).SetObjectProperties(size);
    std::string path = PathOf("parts.tlv");
    EXPECT_EQ(doc.Save(path), 0);
    return hosttest::SplitOneObject(ReadFile(path));
  }

  // Loads bytes written to a file; the status, and the font size of the
  // first object when it loaded.
  int32_t LoadBytes(const std::string& bytes, double* fontSize = nullptr) {
    std::string path = PathOf("load.tlv");
    WriteFile(path, bytes);
    HostDocument doc(*plugin);
    int32_t status = doc.Load(path);
    if (status == 0 && fontSize) {
      QVDictionary props;
      doc.Object(0).GetObjectProperties(props);
      props.GetValue("FontSize").GetasFloat(*fontSize, false);
    }
    return status;
  }
};

TEST_F(HostDocumentTest, PathsAreBytesThatNeedNoNativeForm) {
  // Names the kit's 8-bit text cannot hold, one in Mac OS Roman, one that is
  // no UTF-8 at all.
  for (const std::string name : {"文档.tlv", "é.tlv", "bad\xFF\xFE.tlv", "back\\slash.tlv"}) {
    std::string path = PathOf(name);
    HostDocument doc(*plugin);
    ASSERT_EQ(doc.AddObjects(2, "-default"), 0);
    ASSERT_EQ(doc.Save(path), 0) << name;
    EXPECT_EQ(hosttest::StatOf(path).st_size, static_cast<off_t>(ReadFile(path).size()));
    HostDocument back(*plugin);
    ASSERT_EQ(back.Load(path), 0) << name;
    EXPECT_EQ(back.Count(), 2u) << name;
  }
  EXPECT_EQ(hosttest::FolderNames(dir.Dir()).size(), 4u);
}

TEST_F(HostDocumentTest, UnknownChunksInsideAnObjectAreSkippedWhereverTheyStand) {
  const OneObjectDocument parts = SavedParts();
  const std::string note = Chunk("note", "written by a later host");
  const std::string empty = Chunk("xtra", "");
  struct Case {
    const char* name;
    std::string chunks;
  } cases[] = {
      {"as written", parts.base + parts.data},
      {"between base and data", parts.base + note + parts.data},
      {"before base", note + parts.base + parts.data},
      {"after data", parts.base + parts.data + note},
      {"everywhere, one empty", empty + parts.base + note + parts.data + empty},
      {"data before base", parts.data + note + parts.base},
  };
  for (const Case& c : cases) {
    double fontSize = 0.0;
    EXPECT_EQ(LoadBytes(parts.Assemble(c.chunks), &fontSize), 0) << c.name;
    EXPECT_EQ(fontSize, 72.0) << c.name;
  }
}

TEST_F(HostDocumentTest, ObjectWithoutItsPartsOrWithTwoOfOneIsDamaged) {
  const OneObjectDocument parts = SavedParts();
  const std::string note = Chunk("note", "x");
  struct Case {
    const char* name;
    std::string chunks;
  } cases[] = {
      {"no data", parts.base + note},
      {"no base", note + parts.data},
      {"nothing", ""},
      {"two data", parts.base + parts.data + parts.data},
      {"two base", parts.base + parts.base + parts.data},
      {"a chunk past the object", parts.base + parts.data + Chunk("note", "x").substr(0, 8)},
  };
  LogCapture log;
  for (const Case& c : cases) {
    EXPECT_EQ(LoadBytes(parts.Assemble(c.chunks)), kQVErrBadDocument) << c.name;
  }
}

TEST_F(HostDocumentTest, PayloadLengthsRunningPastTheDataChunkMakeTheDocumentDamaged) {
  const OneObjectDocument parts = SavedParts();
  // Payload: font size, line (4 bytes), 24 reserved bytes, then the layout
  // name's length and text, then the count of symbol units.
  const size_t nameLength = 8 + 32;
  const size_t nameBytes = hosttest::BigEndian32(parts.data, nameLength);
  const size_t unitCount = nameLength + 4 + nameBytes;
  const uint32_t units = hosttest::BigEndian32(parts.data, unitCount);
  ASSERT_EQ(parts.data.size(), unitCount + 4 + 2 * units);
  struct Case {
    const char* name;
    size_t at;
    uint32_t value;
    std::string after;  // chunks after the object's data, inside the object
  } cases[] = {
      // In a one-object document the data chunk ends the file: the count
      // used to be checked against the file and fail as a read error.
      {"unit count past the file", unitCount, 0x7FFFFFFF, ""},
      {"name length past the file", nameLength, 0x7FFFFFF0, ""},
      // Bytes follow in the file: the payload must not read them.
      {"unit count into a later chunk", unitCount, units + 4, Chunk("note", std::string(64, 'n'))},
      {"name length into a later chunk", nameLength, 64, Chunk("note", std::string(64, 'n'))},
  };
  LogCapture log;
  for (const Case& c : cases) {
    std::string data = parts.data;
    hosttest::PutBigEndian32(data, c.at, c.value);
    EXPECT_EQ(LoadBytes(parts.Assemble(parts.base + data + c.after)), kQVErrBadDocument) << c.name;
  }
}

TEST_F(HostDocumentTest, WhatIsNotARegularFileIsRefusedByNameWithoutWaiting) {
  std::string fifo = PathOf("fifo.tlv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string folder = PathOf("folder.tlv");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  for (const std::string& path : {fifo, folder}) {
    HostDocument doc(*plugin);
    LogCapture log;
    EXPECT_EQ(doc.Load(path), kQVErrNotAFile) << path;
    EXPECT_EQ(log.All(), "### QVLib Error -987: \"" + path + "\" is not a regular file.\n");
    // Nor is it replaced by a save.
    ASSERT_EQ(doc.AddObjects(1, "-default"), 0);
    EXPECT_EQ(doc.Save(path), kQVErrNotAFile) << path;
  }
  EXPECT_TRUE(S_ISFIFO(hosttest::StatOf(fifo).st_mode));
  EXPECT_TRUE(S_ISDIR(hosttest::StatOf(folder).st_mode));
  EXPECT_EQ(hosttest::FolderNames(dir.Dir()), (std::vector<std::string>{"fifo.tlv", "folder.tlv"}));
}

TEST_F(HostDocumentTest, FailedLoadKeepsTheObjectsItHad) {
  HostDocument doc(*plugin);
  ASSERT_EQ(doc.AddObjects(3, "-default"), 0);
  LogCapture log;
  EXPECT_EQ(doc.Load(PathOf("missing.tlv")), kQVErrFileOpen);
  EXPECT_EQ(doc.Count(), 3u);
}

}  // namespace
