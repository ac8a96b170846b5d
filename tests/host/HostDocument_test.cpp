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
#include "kit/QVFile.h"
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
    EXPECT_EQ(size.SetValue("FontSize", QVValueSetasFloat32(72.0f)), 0);
    EXPECT_EQ(doc.Object(0).SetObjectProperties(size), 0);
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
      EXPECT_EQ(doc.Object(0).GetObjectProperties(props), 0);
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

// ---- The recording's path ("rcrd")

TEST_F(HostDocumentTest, TheRecordingPathIsAChunkAfterTheHeadInEitherByteOrder) {
  const std::string stored = "sons/\xC3\xA9t\xC3\xA9 1.wav";  // "sons/été 1.wav"
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    HostDocument doc(*plugin);
    doc.SetByteOrder(order);
    ASSERT_EQ(doc.AddObjects(1, "-default"), 0);
    doc.SetRecordingPath(stored);
    const std::string path = PathOf("recorded.tlv");
    ASSERT_EQ(doc.Save(path), 0);
    const std::string bytes = ReadFile(path);
    // The path's bytes alone fill the chunk; only its size has a byte order.
    const std::string size = order == QVFile::kEndianBig ? std::string("\0\0\0\x10", 4)
                                                         : std::string("\x10\0\0\0", 4);
    EXPECT_EQ(bytes.substr(16, 24), "rcrd" + size + stored);
    EXPECT_EQ(bytes.substr(40, 4), "objt");

    HostDocument back(*plugin);
    ASSERT_EQ(back.Load(path), 0);
    EXPECT_EQ(back.RecordingPath(), stored);
    EXPECT_EQ(back.Count(), 1u);
  }
  // Without a recording there is no chunk, and a load clears the path.
  HostDocument none(*plugin);
  ASSERT_EQ(none.AddObjects(1, "-default"), 0);
  ASSERT_EQ(none.Save(PathOf("none.tlv")), 0);
  EXPECT_EQ(ReadFile(PathOf("none.tlv")).substr(16, 4), "objt");
  HostDocument back(*plugin);
  back.SetRecordingPath("/old.wav");
  ASSERT_EQ(back.Load(PathOf("none.tlv")), 0);
  EXPECT_EQ(back.RecordingPath(), "");
}

TEST_F(HostDocumentTest, UnknownDocumentChunksAreSkippedAroundTheObjects) {
  const OneObjectDocument parts = SavedParts();
  const std::string object = Chunk("objt", parts.identity + parts.base + parts.data);
  const std::string longest(HostDocument::kMaxRecordingPathBytes, 'a');
  struct Case {
    const char* name;
    std::string bytes;
    std::string recording;
  } cases[] = {
      {"before the object", parts.head + Chunk("xtra", "later") + object, ""},
      {"after it, empty", parts.head + object + Chunk("note", ""), ""},
      {"around a recording",
       parts.head + Chunk("xtra", "1") + Chunk("rcrd", "/a.wav") + object + Chunk("xtra", ""),
       "/a.wav"},
      {"recording after the objects", parts.head + object + Chunk("rcrd", "b.flac"), "b.flac"},
      {"the longest recording path", parts.head + Chunk("rcrd", longest) + object, longest},
  };
  for (const Case& c : cases) {
    const std::string path = PathOf("load.tlv");
    WriteFile(path, c.bytes);
    HostDocument doc(*plugin);
    EXPECT_EQ(doc.Load(path), 0) << c.name;
    EXPECT_EQ(doc.Count(), 1u) << c.name;
    EXPECT_EQ(doc.RecordingPath(), c.recording) << c.name;
  }
}

TEST_F(HostDocumentTest, ADamagedRecordingChunkMakesTheDocumentDamagedAndLoadsNothing) {
  const OneObjectDocument parts = SavedParts();
  const std::string object = Chunk("objt", parts.identity + parts.base + parts.data);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", parts.head + Chunk("rcrd", "") + object},
      {"a zero byte", parts.head + Chunk("rcrd", std::string("a\0b.wav", 7)) + object},
      {"not UTF-8", parts.head + Chunk("rcrd", "\xFF.wav") + object},
      {"overlong form", parts.head + Chunk("rcrd", "\xC0\xAF.wav") + object},
      {"a surrogate", parts.head + Chunk("rcrd", "\xED\xA0\x80.wav") + object},
      {"cut sequence at the end", parts.head + Chunk("rcrd", "a.wav\xC3") + object},
      {"too long", parts.head + Chunk("rcrd", std::string(4097, 'a')) + object},
      {"two of them", parts.head + Chunk("rcrd", "a.wav") + Chunk("rcrd", "a.wav") + object},
      {"size past the file", parts.head + object + Chunk("rcrd", "a.wav").substr(0, 10)},
      {"header cut short", parts.head + object + Chunk("rcrd", "").substr(0, 6)},
  };
  HostDocument doc(*plugin);
  ASSERT_EQ(doc.AddObjects(2, "-default"), 0);
  doc.SetRecordingPath("kept.wav");
  LogCapture log;
  for (const Case& c : cases) {
    const std::string path = PathOf("damaged.tlv");
    WriteFile(path, c.bytes);
    EXPECT_EQ(doc.Load(path), kQVErrBadDocument) << c.name;
    EXPECT_EQ(doc.Count(), 2u) << c.name;
    EXPECT_EQ(doc.RecordingPath(), "kept.wav") << c.name;
  }
}

TEST_F(HostDocumentTest, ARecordingPathThatCannotBeStoredFailsTheSaveAndWritesNothing) {
  HostDocument doc(*plugin);
  ASSERT_EQ(doc.AddObjects(1, "-default"), 0);
  LogCapture log;
  for (const std::string& bad : {std::string("a\0b", 3), std::string("\xFF"),
                                std::string(HostDocument::kMaxRecordingPathBytes + 1, 'a')}) {
    doc.SetRecordingPath(bad);
    EXPECT_EQ(doc.Save(PathOf("refused.tlv")), kQVErrBadProperty);
  }
  EXPECT_TRUE(hosttest::FolderNames(dir.Dir()).empty());
}

TEST_F(HostDocumentTest, FailedLoadKeepsTheObjectsItHad) {
  HostDocument doc(*plugin);
  ASSERT_EQ(doc.AddObjects(3, "-default"), 0);
  LogCapture log;
  EXPECT_EQ(doc.Load(PathOf("missing.tlv")), kQVErrFileOpen);
  EXPECT_EQ(doc.Count(), 3u);
}

TEST_F(HostDocumentTest, UnknownTopLevelChunksAreWrittenBackAsTheyWereRead) {
  const OneObjectDocument parts = SavedParts();
  const std::string object = Chunk("objt", parts.identity + parts.base + parts.data);
  const std::string later = Chunk("xtra", std::string("a\0b\xFF", 4)) + Chunk("late", "");
  const std::string path = PathOf("later.tlv");
  // Where a later program put them: before, between and after the objects.
  WriteFile(path, parts.head + Chunk("xtra", std::string("a\0b\xFF", 4)) + object +
                      Chunk("late", "") + object);
  HostDocument doc(*plugin);
  ASSERT_EQ(doc.Load(path), 0);
  ASSERT_EQ(doc.Count(), 2u);
  ASSERT_EQ(doc.Save(path), 0);
  EXPECT_EQ(ReadFile(path), parts.head + later + object + object);

  // Saved in the other byte order, their numbers (if any) would be wrong:
  // they are dropped rather than kept in an order they were not written in.
  doc.SetByteOrder(doc.ByteOrder() == QVFile::kEndianBig ? QVFile::kEndianLittle
                                                         : QVFile::kEndianBig);
  ASSERT_EQ(doc.Save(path), 0);
  EXPECT_EQ(ReadFile(path).find("xtra"), std::string::npos);
  EXPECT_EQ(ReadFile(path).find("late"), std::string::npos);
}

}  // namespace
