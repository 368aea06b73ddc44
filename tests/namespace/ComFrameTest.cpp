// The COM frame without the library: counters, the object pattern, class
// factories and the lookup behind DllGetClassObject.
#include <windows.h>
#include <ocidl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "namespace/ClassFactory.h"
#include "namespace/ComObject.h"
#include "namespace/ComResult.h"
#include "namespace/LockedCounter.h"
#include "namespace/ObjectCount.h"
#include "namespace/UniqueHandle.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom {
namespace {

TEST(LockedCounterTest, CountsAndNeverGoesBelowZero) {
    LockedCounter counter(1);
    EXPECT_EQ(counter.Get(), 1);
    EXPECT_EQ(counter.Increment(), 2);
    EXPECT_EQ(counter.Decrement(), 1);
    EXPECT_EQ(counter.Decrement(), 0);
    EXPECT_EQ(counter.Decrement(), 0);
    EXPECT_EQ(counter.Set(7), 7);
    EXPECT_EQ(counter.Get(), 7);
}

TEST(LockedCounterTest, ConcurrentIncrementsAllCount) {
    LockedCounter counter(0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) counter.Increment();
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(counter.Get(), 40000);
}

// A small object with two interfaces, one of which derives from a third.
class Probe final : public ComObject<Probe, IPersistFolder, IOleWindow> {
public:
    explicit Probe(bool* destroyed = nullptr) : destroyed_(destroyed) {}
    ~Probe() override {
        if (destroyed_ != nullptr) *destroyed_ = true;
    }
    void* QueryExtra(REFIID iid) noexcept {
        return IsEqualIID(iid, IID_IPersist) ? static_cast<IPersist*>(this) : nullptr;
    }
    STDMETHODIMP GetClassID(CLSID* id) noexcept override {
        *id = CLSID_NULL;
        return S_OK;
    }
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE) noexcept override { return S_OK; }
    STDMETHODIMP GetWindow(HWND* window) noexcept override {
        *window = nullptr;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

private:
    bool* destroyed_;
};

TEST(ComObjectTest, AnswersListedAndExtraInterfacesWithOneIdentity) {
    const LONG before = ObjectCount().Get();
    bool destroyed = false;
    auto* probe = new Probe(&destroyed);
    EXPECT_EQ(ObjectCount().Get(), before + 1);

    IUnknown* unknown = nullptr;
    IPersistFolder* folder = nullptr;
    IOleWindow* window = nullptr;
    IPersist* persist = nullptr;
    ASSERT_EQ(probe->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(probe->QueryInterface(IID_IPersistFolder, reinterpret_cast<void**>(&folder)), S_OK);
    ASSERT_EQ(folder->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    ASSERT_EQ(window->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    // Every interface gives back the same IUnknown.
    IUnknown* again = nullptr;
    ASSERT_EQ(window->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, unknown);
    again->Release();

    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(probe->QueryInterface(IID_IDropTarget, &refused), E_NOINTERFACE);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(probe->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    // One reference from construction plus four handed out.
    EXPECT_EQ(probe->AddRef(), 6u);
    EXPECT_EQ(probe->Release(), 5u);
    unknown->Release();
    folder->Release();
    window->Release();
    persist->Release();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(probe->Release(), 0u);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ObjectCount().Get(), before);
}

// What the factories of the tests create, and how.
IUnknown* CreateProbe() { return static_cast<IPersistFolder*>(new Probe()); }
IUnknown* CreateNothing() { return nullptr; }
IUnknown* CreateThrowingBadAlloc() { throw std::bad_alloc(); }
IUnknown* CreateThrowingOther() { throw std::runtime_error("broken"); }

constexpr GUID kProbeClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
constexpr GUID kUnbuiltClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x56}};
constexpr GUID kUnknownClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x57}};

const ServerClass kTestClasses[] = {
    {&kProbeClass, CreateProbe, LockRule::kOnlyOneLocks},
    {&kUnbuiltClass, nullptr, LockRule::kOnlyOneLocks},
};

IClassFactory* FactoryFor(CreateObjectFunction create, LockRule rule) {
    const ServerClass classes[] = {{&kProbeClass, create, rule}};
    IClassFactory* factory = nullptr;
    EXPECT_EQ(GetClassObject(classes, 1, kProbeClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    return factory;
}

TEST(ClassFactoryTest, ClassLookupRefusesUnknownAndUnbuiltClasses) {
    const LONG before = ObjectCount().Get();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(kTestClasses, 2, kUnknownClass, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(kTestClasses, 2, kUnbuiltClass, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    // A factory answers only IUnknown and IClassFactory; the refused one is freed.
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(kTestClasses, 2, kProbeClass, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(GetClassObject(kTestClasses, 2, kProbeClass, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(ObjectCount().Get(), before);
}

TEST(ClassFactoryTest, CreatesObjectsAndFreesRefusedOnes) {
    const LONG before = ObjectCount().Get();
    IClassFactory* factory = FactoryFor(CreateProbe, LockRule::kOnlyOneLocks);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(ObjectCount().Get(), before + 1);

    IOleWindow* window = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ObjectCount().Get(), before + 2);
    EXPECT_EQ(window->Release(), 0u);

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDropTarget, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(ObjectCount().Get(), before + 1);

    IUnknown* outer = factory;
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);

    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(ObjectCount().Get(), before);
}

TEST(ClassFactoryTest, FailuresAndExceptionsBecomeHresults) {
    const LONG before = ObjectCount().Get();
    struct Case {
        CreateObjectFunction create;
        HRESULT expected;
    };
    for (const Case& c : {Case{CreateNothing, E_OUTOFMEMORY}, Case{CreateThrowingBadAlloc, E_OUTOFMEMORY},
                          Case{CreateThrowingOther, E_UNEXPECTED}}) {
        IClassFactory* factory = FactoryFor(c.create, LockRule::kOnlyOneLocks);
        ASSERT_NE(factory, nullptr);
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &out), c.expected);
        EXPECT_EQ(out, nullptr);
        factory->Release();
    }
    EXPECT_EQ(ObjectCount().Get(), before);
}

TEST(ClassFactoryTest, LockedFactoryOutlivesItsLastReference) {
    const LONG before = ObjectCount().Get();
    IClassFactory* factory = FactoryFor(CreateProbe, LockRule::kOnlyOneLocks);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    // Still alive and counted: this is what keeps the library loaded.
    EXPECT_EQ(ObjectCount().Get(), before + 1);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ObjectCount().Get(), before);
}

TEST(ClassFactoryTest, LockRulesDifferOnlyForValuesOtherThanOne) {
    const LONG before = ObjectCount().Get();
    // Folder rule: 2 locks like 1.
    IClassFactory* folder = FactoryFor(CreateProbe, LockRule::kAnyNonZeroLocks);
    ASSERT_NE(folder, nullptr);
    folder->LockServer(2);
    folder->Release();
    EXPECT_EQ(ObjectCount().Get(), before + 1);
    folder->LockServer(FALSE);
    EXPECT_EQ(ObjectCount().Get(), before);

    // Other classes: 2 unlocks, so one lock and a "2" leave nothing locked.
    IClassFactory* other = FactoryFor(CreateProbe, LockRule::kOnlyOneLocks);
    ASSERT_NE(other, nullptr);
    other->LockServer(1);
    other->LockServer(2);
    EXPECT_EQ(ObjectCount().Get(), before + 1);  // still referenced
    other->Release();
    EXPECT_EQ(ObjectCount().Get(), before);
}

TEST(ComResultTest, ReturnIfFailedPassesOnlyFailures) {
    auto run = [](HRESULT first, bool& reachedEnd) -> HRESULT {
        reachedEnd = false;
        CATALOOM_RETURN_IF_FAILED(first);
        reachedEnd = true;
        return S_OK;
    };
    bool reached = false;
    EXPECT_EQ(run(E_ACCESSDENIED, reached), E_ACCESSDENIED);
    EXPECT_FALSE(reached);
    EXPECT_EQ(run(S_FALSE, reached), S_OK);
    EXPECT_TRUE(reached);
}

TEST(HandleWrappersTest, UniqueHandleClosesAndMoves) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        UniqueHandle first(raw);
        UniqueHandle second(std::move(first));
        EXPECT_FALSE(first.IsValid());
        EXPECT_EQ(second.Get(), raw);
        DWORD flags = 0;
        EXPECT_TRUE(GetHandleInformation(raw, &flags));
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags));
    EXPECT_FALSE(UniqueHandle(INVALID_HANDLE_VALUE).IsValid());
}

}  // namespace
}  // namespace cataloom
