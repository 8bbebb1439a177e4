// Window objects that end during their own handlers, and objects destroyed
// while their window still lives.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <new>
#include <vector>

#include "framework/wnd.h"
#include "tests/framework/window_test_support.h"

namespace {

const wchar_t kClass[] = L"TORKA_LifetimeTest";
const UINT WM_TEST_CLOSE = WM_APP + 10;
const UINT WM_TEST_NESTED_CLOSE = WM_APP + 11;

// A window that owns itself. Its memory is kept, filled with a pattern,
// when it is deleted, so a later write into the dead object shows.
class SelfOwnedWnd : public CWnd {
public:
    static constexpr unsigned char kDead = 0xDD;
    static std::vector<void*>& Graveyard() {
        static std::vector<void*> kept;
        return kept;
    }
    static void* operator new(size_t n) { return ::operator new(n); }
    static void operator delete(void* p, size_t n) {
        std::memset(p, kDead, n);
        Graveyard().push_back(p);
    }
    static bool StillDead(void* p) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < sizeof(SelfOwnedWnd); ++i)
            if (b[i] != kDead) return false;
        return true;
    }

    BOOL CreateChild(HWND parent) {
        CWnd::RegisterWindowClass(kClass, 0, nullptr, nullptr);
        return Create(kClass, L"", WS_CHILD, CRect(0, 0, 10, 10), parent, 1);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_TEST_CLOSE:
            DestroyWindow();
            return 7;
        case WM_TEST_NESTED_CLOSE:
            // The close happens one dispatch deeper than this handler.
            SendMessage(WM_TEST_CLOSE);
            return 8;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }
    void PostNcDestroy() override { delete this; }
};

TEST(WndLifetime, ObjectDeletedByItsOwnHandlerIsNotWrittenAfterwards) {
    struct Case {
        const char* name;
        UINT msg;
        LRESULT result;
    } cases[] = {{"closed by its handler", WM_TEST_CLOSE, 7}, {"closed one dispatch deeper", WM_TEST_NESTED_CLOSE, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* wnd = new SelfOwnedWnd;
        ASSERT_TRUE(wnd->CreateChild(wtest::SharedHost()));
        HWND hwnd = wnd->m_hWnd;
        EXPECT_EQ(::SendMessageW(hwnd, c.msg, 0, 0), c.result);
        EXPECT_FALSE(::IsWindow(hwnd));
        ASSERT_FALSE(SelfOwnedWnd::Graveyard().empty());
        EXPECT_EQ(SelfOwnedWnd::Graveyard().back(), static_cast<void*>(wnd));
        EXPECT_TRUE(SelfOwnedWnd::StillDead(wnd));
    }
}

// A child that looks up its parent's object while it is being destroyed.
class ChildProbe : public CWnd {
public:
    CWnd* parentSeen = reinterpret_cast<CWnd*>(1);
    BOOL CreateIn(HWND parent) { return Create(kClass, L"", WS_CHILD, CRect(0, 0, 5, 5), parent, 2); }

protected:
    void OnDestroy() override {
        parentSeen = CWnd::FromHandle(::GetParent(m_hWnd));
        CWnd::OnDestroy();
    }
};

class PlainParent : public CWnd {
public:
    int handled = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        ++handled;
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

TEST(WndLifetime, ObjectDestroyedBeforeItsWindowLeavesNoHalfObjectToReach) {
    CWnd::RegisterWindowClass(kClass, 0, nullptr, nullptr);
    auto* parent = new PlainParent;
    ASSERT_TRUE(parent->Create(kClass, L"", WS_CHILD, CRect(0, 0, 20, 20), wtest::SharedHost(), 3));
    ChildProbe child;
    ASSERT_TRUE(child.CreateIn(*parent));
    HWND parentWnd = parent->m_hWnd;
    delete parent;
    EXPECT_FALSE(::IsWindow(parentWnd));
    // The child died with its parent, and by then the parent's object was
    // no longer attached to its window.
    EXPECT_EQ(child.m_hWnd, nullptr);
    EXPECT_EQ(child.parentSeen, nullptr);
}

}  // namespace
