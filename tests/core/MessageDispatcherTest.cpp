// The message dispatcher: registration, the walk, message tables and the two hooks.
#include "platform/MessageDispatcher.h"
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace zrm58;

namespace {

std::vector<std::string> journal;

// Declares methods for ids 1 and 2.
class Base : public MessageHandler {
public:
    explicit Base(std::string n) : name(std::move(n)) {}
    std::string name;
    std::function<void()> onOneExtra; // lets a test act from inside a walk

    static const Table& classTable() {
        static const Entry entries[] = {{1, onOne}, {2, onTwo}};
        static const Table table{&BaseTable(), entries};
        return table;
    }

protected:
    const Table& messageTable() const override { return classTable(); }

private:
    static void onOne(MessageHandler& h, MessageRecord& m) {
        auto& self = static_cast<Base&>(h);
        journal.push_back(self.name + ":base1");
        m.result = 1;
        if (self.onOneExtra) self.onOneExtra();
    }
    static void onTwo(MessageHandler& h, MessageRecord&) {
        journal.push_back(static_cast<Base&>(h).name + ":base2");
    }
};

// Declares id 2 again; id 1 still reaches the base class's method.
class Derived : public Base {
public:
    using Base::Base;

protected:
    const Table& messageTable() const override {
        static const Entry entries[] = {{2, onTwo}};
        static const Table table{&Base::classTable(), entries};
        return table;
    }

private:
    static void onTwo(MessageHandler& h, MessageRecord&) {
        journal.push_back(static_cast<Derived&>(h).name + ":derived2");
    }
};

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override {
        journal.clear();
        TMessageDispatcherWin::ModuleStart();
    }
    void TearDown() override { TMessageDispatcherWin::ModuleEnd(); }
    static void send(std::uint32_t msg, WindowRef wnd = 7) {
        TMessageDispatcherWin::ProcessMessage(wnd, msg, 0, 0);
    }
};

using Journal = std::vector<std::string>;

} // namespace

TEST_F(Dispatcher, OffersEachMessageToHandlersInRegistrationOrder) {
    Base a("a"), b("b");
    TMessageDispatcherWin::RegisterHandler(&b);
    TMessageDispatcherWin::RegisterHandler(&a);
    send(1);
    EXPECT_EQ(journal, (Journal{"b:base1", "a:base1"}));
}

TEST_F(Dispatcher, RegistersAnObjectOnceAndIgnoresUnknownUnregistration) {
    Base a("a"), stranger("x");
    TMessageDispatcherWin::RegisterHandler(&a);
    TMessageDispatcherWin::RegisterHandler(&a);
    TMessageDispatcherWin::UnregisterHandler(&stranger);
    EXPECT_EQ(TMessageDispatcherWin::handlerCount(), 1u);
    send(1);
    EXPECT_EQ(journal, (Journal{"a:base1"}));
    TMessageDispatcherWin::UnregisterHandler(&a);
    send(1);
    EXPECT_EQ(journal.size(), 1u);
}

TEST_F(Dispatcher, NearestClassThatDeclaresAnIdHandlesIt) {
    Derived d("d");
    TMessageDispatcherWin::RegisterHandler(&d);
    send(2);
    send(1);
    EXPECT_EQ(journal, (Journal{"d:derived2", "d:base1"}));
}

TEST_F(Dispatcher, AMessageNoHandlerDeclaresOnlyMovesTheLastWindow) {
    Base a("a");
    TMessageDispatcherWin::RegisterHandler(&a);
    EXPECT_EQ(TMessageDispatcherWin::GetWnd(), 0u);
    send(99, 42);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(TMessageDispatcherWin::GetWnd(), 42u);
}

TEST_F(Dispatcher, AHandlerRegisteredDuringAWalkIsReachedInThatWalk) {
    Base a("a"), late("late");
    a.onOneExtra = [&] { TMessageDispatcherWin::RegisterHandler(&late); };
    TMessageDispatcherWin::RegisterHandler(&a);
    send(1);
    EXPECT_EQ(journal, (Journal{"a:base1", "late:base1"}));
}

TEST_F(Dispatcher, NestedWalksKeepTheirOwnPosition) {
    Base a("a"), b("b");
    bool nested = false;
    a.onOneExtra = [&] {
        if (nested) return;
        nested = true;
        send(2); // a handler that itself sends a message
    };
    TMessageDispatcherWin::RegisterHandler(&a);
    TMessageDispatcherWin::RegisterHandler(&b);
    send(1);
    EXPECT_EQ(journal, (Journal{"a:base1", "a:base2", "b:base2", "b:base1"}));
}

// The hooks: a code below 0 passes the message on unoffered; the get-message hook offers a
// message only when it is removed from the queue, so a peek followed by the removal offers once.
struct HookCase {
    const char* what;
    bool getMessageHook;
    int code;
    std::uintptr_t remove;
    bool offered;
};

class Hooks : public Dispatcher, public ::testing::WithParamInterface<HookCase> {};

TEST_P(Hooks, OfferOrPassOn) {
    const HookCase& c = GetParam();
    Base a("a");
    TMessageDispatcherWin::RegisterHandler(&a);
    if (c.getMessageHook)
        TMessageDispatcherWin::GetMessageHook(c.code, c.remove, 5, 1, 0, 0);
    else
        TMessageDispatcherWin::CallWndProcHook(c.code, 5, 1, 0, 0);
    EXPECT_EQ(!journal.empty(), c.offered) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Dispatcher, Hooks,
                         ::testing::Values(HookCase{"sent message", false, 0, 0, true},
                                           HookCase{"sent, code below 0", false, -1, 0, false},
                                           HookCase{"queued message removed", true, 0, 1, true},
                                           HookCase{"queued message only peeked at", true, 0, 0,
                                                    false},
                                           HookCase{"queued, code below 0", true, -1, 1, false}));

TEST_F(Dispatcher, PeekedThenRemovedIsOfferedOnce) {
    Base a("a");
    TMessageDispatcherWin::RegisterHandler(&a);
    TMessageDispatcherWin::GetMessageHook(0, 0, 5, 1, 0, 0); // peek
    TMessageDispatcherWin::GetMessageHook(0, 1, 5, 1, 0, 0); // take
    EXPECT_EQ(journal.size(), 1u);
}

TEST(DispatcherModule, NothingIsOfferedOutsideTheModuleLifetime) {
    journal.clear();
    Base a("a");
    TMessageDispatcherWin::RegisterHandler(&a); // before module start: no list, nothing kept
    TMessageDispatcherWin::ProcessMessage(1, 1, 0, 0);
    EXPECT_TRUE(journal.empty());
    EXPECT_FALSE(TMessageDispatcherWin::started());
}
