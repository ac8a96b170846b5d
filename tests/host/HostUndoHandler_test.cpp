// Undo handlers through the real tables: the plug-in's QVHandler calling
// the reference host's handler table as registration handed it over.
#include "bridge/HostUndoHandler.h"

#include <gtest/gtest.h>

#include <vector>

#include "bridge/HostObject.h"
#include "HostTestSupport.h"
#include "host/QVHandler.h"
#include "kit/QVErrors.h"
#include "kit/QVString.h"

namespace {

using qvtest::LogCapture;

class HostUndoHandlerTest : public hosttest::RegisteredHostTest {
 protected:
  HostUndoHandler& Host(const QVHandler& handler) {
    return *static_cast<HostUndoHandler*>(handler.Handle());
  }
};

TEST_F(HostUndoHandlerTest, RegistrationHandsTheHostsTableToThePlugin) {
  EXPECT_EQ(QVHandler::sWrapper, plugin->Hook().handlerTable);
  ASSERT_NE(QVHandler::sWrapper, nullptr);
  for (uint32_t slot : {kQVHandlerSlotIsActive, kQVHandlerSlotSetActionName,
                        kQVHandlerSlotGetActionName, kQVHandlerSlotAddObjects,
                        kQVHandlerSlotDeleteObjects, kQVHandlerSlotTouchObjects}) {
    EXPECT_FALSE(QVHandler::sWrapper->methods[slot].IsEmpty()) << slot;
  }
}

TEST_F(HostUndoHandlerTest, HandlerRecordsTheActionAndItsObjectsOnceEach) {
  HostObject a(*plugin), b(*plugin), c(*plugin);
  QVHandler handler = QVHandler::New();
  ASSERT_TRUE(handler.IsValid());
  EXPECT_TRUE(handler.IsActive());
  handler.SetActionName(QVString("Change the Talvane's font size"));
  EXPECT_EQ(handler.GetActionName(), QVString("Change the Talvane's font size"));

  QVObject* touched[] = {a.Object(), b.Object(), a.Object()};
  QVObject* added[] = {c.Object()};
  QVObject* deleted[] = {b.Object()};
  EXPECT_EQ(handler.TouchObjects(touched, 3), 0);
  EXPECT_EQ(handler.TouchObjects(touched, 1), 0);
  EXPECT_EQ(handler.AddObjects(added, 1), 0);
  EXPECT_EQ(handler.DeleteObjects(deleted, 1), 0);
  EXPECT_EQ(handler.AddObjects(nullptr, 0), 0);

  const HostUndoHandler& host = Host(handler);
  EXPECT_EQ(host.actionName, "Change the Talvane's font size");
  EXPECT_EQ(host.touched, (std::vector<QVObject*>{a.Object(), b.Object()}));
  EXPECT_EQ(host.added, (std::vector<QVObject*>{c.Object()}));
  EXPECT_EQ(host.deleted, (std::vector<QVObject*>{b.Object()}));

  Host(handler).active = false;
  EXPECT_FALSE(handler.IsActive());
  handler.Destroy();
  EXPECT_FALSE(handler.IsValid());
}

TEST_F(HostUndoHandlerTest, MissingObjectsAreRefusedAndNothingIsRecorded) {
  HostObject a(*plugin);
  QVHandler handler = QVHandler::New();
  ASSERT_TRUE(handler.IsValid());
  QVObject* withHole[] = {a.Object(), nullptr};
  LogCapture log;
  EXPECT_EQ(handler.TouchObjects(withHole, 2), kQVErrGeneric);
  EXPECT_EQ(handler.AddObjects(nullptr, 1), kQVErrGeneric);
  EXPECT_TRUE(Host(handler).touched.empty());
  EXPECT_TRUE(Host(handler).added.empty());
  handler.Destroy();
}

TEST_F(HostUndoHandlerTest, WithoutTheHostsTableEveryOperationAnswersEmpty) {
  HostObject a(*plugin);
  QVObject* objects[] = {a.Object()};
  QVHandler live = QVHandler::New();
  ASSERT_TRUE(live.IsValid());
  const QVHandlerTable* table = QVHandler::sWrapper;
  QVHandler::sWrapper = nullptr;
  EXPECT_FALSE(QVHandler::New().IsValid());
  // A handle whose table went away reaches nothing.
  EXPECT_FALSE(live.IsActive());
  live.SetActionName(QVString("lost"));
  EXPECT_TRUE(live.GetActionName().IsEmpty());
  EXPECT_EQ(live.AddObjects(objects, 1), kQVErrGeneric);
  EXPECT_EQ(live.DeleteObjects(objects, 1), kQVErrGeneric);
  EXPECT_EQ(live.TouchObjects(objects, 1), kQVErrGeneric);
  QVHandler::sWrapper = table;
  EXPECT_TRUE(Host(live).actionName.empty());
  EXPECT_TRUE(Host(live).added.empty());
  live.Destroy();
  QVHandler none;
  none.Destroy();
  EXPECT_FALSE(none.IsActive());
}

}  // namespace
