// Listener lists: order, and dispatch that survives callbacks changing the list.

#include <gtest/gtest.h>

#include <string>

#include "widgets/Delegate.h"

namespace {

// A listener's target: its name, the log it writes to, and what it does when called.
struct Listener {
    std::string name;
    std::string* log;
    void (*action)(Listener&) = nullptr;
    DelegateList* list = nullptr;
};

void record(void* target, void*)
{
    auto& listener = *static_cast<Listener*>(target);
    *listener.log += listener.name;
    if (listener.action != nullptr) listener.action(listener);
}

}  // namespace

TEST(DelegateList, CallsListenersInRegistrationOrderEveryTime)
{
    std::string log;
    Listener a{"a", &log}, b{"b", &log}, c{"c", &log};
    DelegateList list;
    for (Listener* l : {&a, &b, &c}) ASSERT_TRUE(addListener(list, l, record));
    notifyListeners(list, nullptr);
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "abcabc");

    clearListeners(list);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "abcabc");
}

TEST(DelegateList, ListenerAddedDuringANotificationIsCalledFromTheNextOne)
{
    std::string log;
    DelegateList list;
    static Listener* toAdd = nullptr;
    Listener late{"L", &log};
    toAdd = &late;
    // The first listener registers `late` once; the notification in progress does not reach it.
    Listener first{"a", &log, [](Listener& self) {
                       if (toAdd != nullptr) addListener(*self.list, toAdd, record);
                       toAdd = nullptr;
                   },
                   &list};
    Listener last{"b", &log};
    addListener(list, &first, record);
    addListener(list, &last, record);
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "ab");
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "ababL");
    clearListeners(list);
}

TEST(DelegateList, ClearingTheListFromACallbackStopsTheNotification)
{
    std::string log;
    DelegateList list;
    Listener clearer{"c", &log, [](Listener& self) { clearListeners(*self.list); }, &list};
    Listener after{"x", &log};
    addListener(list, &clearer, record);
    addListener(list, &after, record);
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "c");
    EXPECT_EQ(list.head, nullptr);

    // The list works normally afterwards.
    addListener(list, &after, record);
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "cx");
    clearListeners(list);
}

TEST(DelegateList, OwnerDestroyedFromACallbackIsNotTouchedAgain)
{
    // The widget owning the list clears it in its destructor and frees it; run under a memory
    // checker, any later read of the list or its records shows.
    std::string log;
    auto* list = new DelegateList;
    Listener destroyer{"d", &log, [](Listener& self) {
                           clearListeners(*self.list);
                           delete self.list;
                       },
                       list};
    Listener after{"x", &log};
    addListener(*list, &destroyer, record);
    addListener(*list, &after, record);
    notifyListeners(*list, nullptr);
    EXPECT_EQ(log, "d");
}

TEST(DelegateList, NestedNotificationsOfTheSameList)
{
    std::string log;
    DelegateList list;
    static int depth = 0;
    Listener reenter{"r", &log, [](Listener& self) {
                         if (depth++ == 0) notifyListeners(*self.list, nullptr);
                     },
                     &list};
    Listener after{"x", &log};
    addListener(list, &reenter, record);
    addListener(list, &after, record);
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "rrxx");
    EXPECT_EQ(list.dispatch, nullptr);

    // An inner notification that clears the list stops the outer one too.
    log.clear();
    depth = 0;
    Listener clearer{"c", &log, [](Listener& self) {
                         if (depth > 1) clearListeners(*self.list);
                     },
                     &list};
    addListener(list, &clearer, record);
    notifyListeners(list, nullptr);
    EXPECT_EQ(log, "rrxc");
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.dispatch, nullptr);
}
