#include "textinput/UPasteboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kit/QVErrors.h"
#include "textinput/UPasteboardService.h"
#include "textinput/platform/UPasteboardMemory_p.h"

namespace {

using Units = ATNumberArray<unsigned short>;

std::vector<unsigned> Values(const Units& units) {
  std::vector<unsigned> out;
  for (uint32_t i = 0; i < units.Length(); ++i) out.push_back(units[i]);
  return out;
}

std::vector<uint8_t> BytesOf(const std::vector<uint16_t>& units) {
  std::vector<uint8_t> bytes(units.size() * 2);
  if (!units.empty()) std::memcpy(bytes.data(), units.data(), bytes.size());
  return bytes;
}

long Put(UPasteboardService& service, UPasteboardService::ItemID item, const char* flavor,
         const std::vector<uint8_t>& bytes) {
  return service.PutItemFlavor(item, flavor, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// ---- The process's own clipboard

TEST(ProcessClipboardTest, WrittenTextReadsBackUnitForUnit) {
  const Units text = {0xE01C, 0x0041, 0xE000, 0x000D, 0xD834, 0xDD1E};
  UPasteboard::SetUText(text);
  EXPECT_EQ(Values(UPasteboard::GetUText()), Values(text));

  // A new copy replaces the old one entirely.
  UPasteboard::SetUText(Units{0xE4FF});
  EXPECT_EQ(Values(UPasteboard::GetUText()), (std::vector<unsigned>{0xE4FF}));
}

TEST(ProcessClipboardTest, EmptyTextLeavesTheClipboardAsItWas) {
  UPasteboard::SetUText(Units{0xE010, 0xE011});
  UPasteboard::SetUText(Units());
  EXPECT_EQ(Values(UPasteboard::GetUText()), (std::vector<unsigned>{0xE010, 0xE011}));
}

TEST(ProcessClipboardTest, ContentSurvivesAnInstalledServiceComingAndGoing) {
  UPasteboard::SetUText(Units{0xE300});
  UPasteboardMemory other;
  UPasteboard::SetService(&other);
  EXPECT_TRUE(UPasteboard::GetUText().IsEmpty());
  UPasteboard::SetUText(Units{0xE301});
  UPasteboard::SetService(nullptr);
  EXPECT_EQ(Values(UPasteboard::GetUText()), (std::vector<unsigned>{0xE300}));
}

// ---- Through a service: what is written, what is read

class ClipboardServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { UPasteboard::SetService(&mService); }
  void TearDown() override { UPasteboard::SetService(nullptr); }
  UPasteboardMemory mService;
};

TEST_F(ClipboardServiceTest, AnEmptyClipboardGivesNothing) {
  EXPECT_TRUE(UPasteboard::GetUText().IsEmpty());
}

TEST_F(ClipboardServiceTest, WritingLeavesOneItemOfUtf16InMachineOrder) {
  Put(mService, 7, kUPasteboardFlavorUTF8PlainText, {'o', 'l', 'd'});
  UPasteboard::SetUText(Units{0xE01C, 0x0041});

  uint32_t count = 0;
  ASSERT_EQ(mService.GetItemCount(&count), kQVNoErr);
  EXPECT_EQ(count, 1u);
  UPasteboardService::ItemID item = 0;
  ASSERT_EQ(mService.GetItemIdentifier(1, &item), kQVNoErr);
  EXPECT_EQ(item, 1u);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(mService.CopyItemFlavorData(1, kUPasteboardFlavorUTF16PlainText, &bytes), kQVNoErr);
  EXPECT_EQ(bytes, BytesOf({0xE01C, 0x0041}));
  EXPECT_NE(mService.CopyItemFlavorData(1, kUPasteboardFlavorUTF8PlainText, &bytes), kQVNoErr);
}

TEST_F(ClipboardServiceTest, ItemsWithoutUtf16AreSkipped) {
  Put(mService, 3, kUPasteboardFlavorUTF8PlainText, {'a', 'b'});
  Put(mService, 4, kUPasteboardFlavorUTF16PlainText, BytesOf({0xE4F0, 0xE4F1}));
  Put(mService, 5, kUPasteboardFlavorUTF16PlainText, BytesOf({0xE000}));
  EXPECT_EQ(Values(UPasteboard::GetUText()), (std::vector<unsigned>{0xE4F0, 0xE4F1}));
}

TEST_F(ClipboardServiceTest, AnOddLastByteIsDropped) {
  std::vector<uint8_t> bytes = BytesOf({0xE001, 0xE002});
  bytes.push_back(0x41);
  Put(mService, 1, kUPasteboardFlavorUTF16PlainText, bytes);
  EXPECT_EQ(Values(UPasteboard::GetUText()), (std::vector<unsigned>{0xE001, 0xE002}));
}

TEST_F(ClipboardServiceTest, EmptyItemsAreSkippedButASingleByteEndsTheReadingWithNothing) {
  Put(mService, 1, kUPasteboardFlavorUTF16PlainText, {});
  Put(mService, 2, kUPasteboardFlavorUTF16PlainText, BytesOf({0xE4FE}));
  EXPECT_EQ(Values(UPasteboard::GetUText()), (std::vector<unsigned>{0xE4FE}));

  EXPECT_EQ(mService.Clear(), 0);
  Put(mService, 1, kUPasteboardFlavorUTF16PlainText, {});
  Put(mService, 2, kUPasteboardFlavorUTF16PlainText, {0x41});
  Put(mService, 3, kUPasteboardFlavorUTF16PlainText, BytesOf({0xE4FF}));
  EXPECT_TRUE(UPasteboard::GetUText().IsEmpty());
}

// A service whose operations fail on request, to check that failures stay
// quiet and leave the clipboard as far as writing got.
class FailingService : public UPasteboardService {
 public:
  enum Step { kClear, kSynchronize, kCount, kIdentifier, kCopy, kPut };
  explicit FailingService(Step failing) : mFailing(failing) {}

  long Clear() override { return Run(kClear, [&] { return mStore.Clear(); }); }
  long Synchronize() override { return Run(kSynchronize, [&] { return mStore.Synchronize(); }); }
  long GetItemCount(uint32_t* count) override {
    return Run(kCount, [&] { return mStore.GetItemCount(count); });
  }
  long GetItemIdentifier(uint32_t index, ItemID* item) override {
    return Run(kIdentifier, [&] { return mStore.GetItemIdentifier(index, item); });
  }
  long CopyItemFlavorData(ItemID item, const char* flavor, std::vector<uint8_t>* data) override {
    return Run(kCopy, [&] { return mStore.CopyItemFlavorData(item, flavor, data); });
  }
  long PutItemFlavor(ItemID item, const char* flavor, const uint8_t* bytes,
                     uint32_t byteCount) override {
    return Run(kPut, [&] { return mStore.PutItemFlavor(item, flavor, bytes, byteCount); });
  }

  UPasteboardMemory mStore;

 private:
  template <class F>
  long Run(Step step, F operation) {
    return step == mFailing ? static_cast<long>(kQVErrGeneric) : operation();
  }
  Step mFailing;
};

TEST(FailingClipboardTest, ReadingFailuresGiveNothing) {
  const FailingService::Step steps[] = {FailingService::kSynchronize, FailingService::kCount,
                                        FailingService::kIdentifier, FailingService::kCopy};
  for (FailingService::Step step : steps) {
    SCOPED_TRACE(step);
    FailingService service(step);
    Put(service.mStore, 1, kUPasteboardFlavorUTF16PlainText, BytesOf({0xE010}));
    UPasteboard::SetService(&service);
    EXPECT_TRUE(UPasteboard::GetUText().IsEmpty());
    UPasteboard::SetService(nullptr);
  }
}

TEST(FailingClipboardTest, WritingStopsWhereItFails) {
  struct Case {
    FailingService::Step step;
    std::vector<unsigned> after;  // what the clipboard holds afterwards
  };
  const Case cases[] = {
      {FailingService::kClear, {0xE300}},  // not cleared: the old text stays
      {FailingService::kSynchronize, {}},  // cleared, nothing written
      {FailingService::kPut, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    FailingService service(c.step);
    Put(service.mStore, 1, kUPasteboardFlavorUTF16PlainText, BytesOf({0xE300}));
    UPasteboard::SetService(&service);
    UPasteboard::SetUText(Units{0xE4FF});
    UPasteboard::SetService(&service.mStore);
    EXPECT_EQ(Values(UPasteboard::GetUText()), c.after);
    UPasteboard::SetService(nullptr);
  }
}

// ---- The in-memory store's own rules

TEST(MemoryClipboardTest, RefusesItemZeroAndRepeatedFlavours) {
  UPasteboardMemory store;
  EXPECT_NE(Put(store, 0, kUPasteboardFlavorUTF16PlainText, {1, 2}), kQVNoErr);
  EXPECT_EQ(Put(store, 9, kUPasteboardFlavorUTF16PlainText, {1, 2}), kQVNoErr);
  EXPECT_NE(Put(store, 9, kUPasteboardFlavorUTF16PlainText, {3, 4}), kQVNoErr);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(store.CopyItemFlavorData(9, kUPasteboardFlavorUTF16PlainText, &bytes), kQVNoErr);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2}));
}

}  // namespace
