#include <gtest/gtest.h>

#include <memory>

#include "conversion/kaCommon.h"

using namespace sv;

namespace {

class Publisher : public AudioComponent {
public:
    Publisher() : subject(*this, format) {}
    ~Publisher() override { NotifyDestroying(); }
    IkaAudioSubject* QueryAudioSubject() override { return &subject; }
    TkaWaveFormat format;
    TkaAudioSubject subject;
};

class Subscriber : public AudioComponent {
public:
    Subscriber() : observer(*this) {
        observer.OnAudioData = [this](IkaAudioSubject* s, const void* d, int32_t n) {
            lastSubject = s;
            received.push_back(n);
            if (onData) onData(d, n);
        };
    }
    ~Subscriber() override { NotifyDestroying(); }
    IkaAudioObserver* QueryAudioObserver() override { return &observer; }
    TkaAudioObserver observer;
    std::vector<int32_t> received;
    IkaAudioSubject* lastSubject = nullptr;
    std::function<void(const void*, int32_t)> onData;
};

class Plain : public AudioComponent {};

} // namespace

TEST(PublishSubscribe, BlocksReachEveryObserverInOrder) {
    Publisher p;
    Subscriber a, b;
    std::vector<char> order;
    a.onData = [&](const void*, int32_t) { order.push_back('a'); };
    b.onData = [&](const void*, int32_t) { order.push_back('b'); };
    a.observer.SetSubject(&p);
    b.observer.SetSubject(&p);
    int x = 0;
    p.subject.Notify(&p.subject, &x, 4);
    EXPECT_EQ(order, (std::vector<char>{'a', 'b'}));
    EXPECT_EQ(a.received, std::vector<int32_t>{4});
    EXPECT_EQ(a.lastSubject, &p.subject);
    EXPECT_EQ(&p.subject.AudioFormat(), &p.format);
}

TEST(PublishSubscribe, RefusedSubjectsKeepTheOldOne) {
    Publisher p;
    Subscriber s;
    Plain plain;
    s.observer.SetSubject(&p);
    try {
        s.observer.SetSubject(&plain);
        FAIL();
    } catch (const EACMError& e) {
        EXPECT_STREQ(e.what(), "The selected component is not an audio subject.");
    }
    try {
        s.observer.SetSubject(&s);
        FAIL();
    } catch (const EACMError& e) {
        EXPECT_STREQ(e.what(), "Component cannot observe itself.");
    }
    EXPECT_EQ(s.observer.Subject(), &p);
    EXPECT_EQ(p.subject.ObserverCount(), 1u);
}

TEST(PublishSubscribe, ChangingOrClearingTheSubjectDetaches) {
    Publisher p, q;
    Subscriber s;
    s.observer.SetSubject(&p);
    s.observer.SetSubject(&q);
    EXPECT_EQ(p.subject.ObserverCount(), 0u);
    EXPECT_EQ(q.subject.ObserverCount(), 1u);
    s.observer.SetSubject(nullptr);
    EXPECT_EQ(q.subject.ObserverCount(), 0u);
    {
        Subscriber t;
        t.observer.SetSubject(&p);
        EXPECT_EQ(p.subject.ObserverCount(), 1u);
    }
    EXPECT_EQ(p.subject.ObserverCount(), 0u);   // a destroyed subscriber detaches
}

TEST(PublishSubscribe, DestroyedPublisherLeavesNoSubject) {
    Subscriber s;
    {
        Publisher p;
        s.observer.SetSubject(&p);
    }
    EXPECT_EQ(s.observer.Subject(), nullptr);
    Publisher q;
    s.observer.SetSubject(&q);      // nothing dangling is touched
    EXPECT_EQ(q.subject.ObserverCount(), 1u);
}

TEST(PublishSubscribe, ObserverDetachingItselfDoesNotSkipTheNext) {
    Publisher p;
    Subscriber a, b, c;
    a.onData = [&](const void*, int32_t) { a.observer.SetSubject(nullptr); };
    a.observer.SetSubject(&p);
    b.observer.SetSubject(&p);
    c.observer.SetSubject(&p);
    p.subject.Notify(&p.subject, nullptr, 1);
    EXPECT_EQ(a.received.size(), 1u);
    EXPECT_EQ(b.received.size(), 1u);
    EXPECT_EQ(c.received.size(), 1u);
}

TEST(PublishSubscribe, ObserverErrorsPropagateUnlessCleared) {
    Publisher p;
    Subscriber a, b;
    a.onData = [](const void*, int32_t) { throw EACMError("boom"); };
    a.observer.SetSubject(&p);
    b.observer.SetSubject(&p);
    EXPECT_THROW(p.subject.Notify(&p.subject, nullptr, 1), EACMError);
    EXPECT_TRUE(b.received.empty());

    std::string seen;
    p.subject.OnObserverError = [&](IkaAudioSubject* sender, IkaAudioObserver* o, const std::exception& e, bool& raise) {
        EXPECT_EQ(sender, &p.subject);
        EXPECT_EQ(o, &a.observer);
        seen = e.what();
        raise = false;
    };
    EXPECT_NO_THROW(p.subject.Notify(&p.subject, nullptr, 1));
    EXPECT_EQ(seen, "boom");
    EXPECT_EQ(b.received.size(), 1u);
}
