#pragma once
// Callbacks bound to an object and member function, or to a free function. They are
// polymorphic so that one handle type serves every binding; Clone copies one and
// Equals compares the bound targets.
#include <memory>

namespace base {

template <typename R = void> class Delegate0 {
public:
    virtual ~Delegate0() = default;
    virtual R operator()() const = 0;
    virtual Delegate0* Clone() const = 0;
    virtual bool Equals(const Delegate0& other) const = 0;
    bool operator==(const Delegate0& other) const { return Equals(other); }
};

template <typename A1, typename R = void> class Delegate1 {
public:
    virtual ~Delegate1() = default;
    virtual R operator()(A1 a1) const = 0;
    virtual Delegate1* Clone() const = 0;
    virtual bool Equals(const Delegate1& other) const = 0;
    bool operator==(const Delegate1& other) const { return Equals(other); }
};

template <typename A1, typename A2, typename R = void> class Delegate2 {
public:
    virtual ~Delegate2() = default;
    virtual R operator()(A1 a1, A2 a2) const = 0;
    virtual Delegate2* Clone() const = 0;
    virtual bool Equals(const Delegate2& other) const = 0;
    bool operator==(const Delegate2& other) const { return Equals(other); }
};

template <typename C, typename R = void> class MemberDelegate0 : public Delegate0<R> {
public:
    using Method = R (C::*)();
    MemberDelegate0(C* object, Method method) : object(object), method(method) {}
    R operator()() const override { return (object->*method)(); }
    Delegate0<R>* Clone() const override { return new MemberDelegate0(*this); }
    bool Equals(const Delegate0<R>& other) const override
    {
        auto* same = dynamic_cast<const MemberDelegate0*>(&other);
        return same && same->object == object && same->method == method;
    }

    C* object;
    Method method;
};

template <typename C, typename A1, typename R = void> class MemberDelegate1 : public Delegate1<A1, R> {
public:
    using Method = R (C::*)(A1);
    MemberDelegate1(C* object, Method method) : object(object), method(method) {}
    R operator()(A1 a1) const override { return (object->*method)(a1); }
    Delegate1<A1, R>* Clone() const override { return new MemberDelegate1(*this); }
    bool Equals(const Delegate1<A1, R>& other) const override
    {
        auto* same = dynamic_cast<const MemberDelegate1*>(&other);
        return same && same->object == object && same->method == method;
    }

    C* object;
    Method method;
};

template <typename C, typename A1, typename A2, typename R = void>
class MemberDelegate2 : public Delegate2<A1, A2, R> {
public:
    using Method = R (C::*)(A1, A2);
    MemberDelegate2(C* object, Method method) : object(object), method(method) {}
    R operator()(A1 a1, A2 a2) const override { return (object->*method)(a1, a2); }
    Delegate2<A1, A2, R>* Clone() const override { return new MemberDelegate2(*this); }
    bool Equals(const Delegate2<A1, A2, R>& other) const override
    {
        auto* same = dynamic_cast<const MemberDelegate2*>(&other);
        return same && same->object == object && same->method == method;
    }

    C* object;
    Method method;
};

template <typename A1, typename A2, typename R = void> class StaticDelegate2 : public Delegate2<A1, A2, R> {
public:
    using Function = R (*)(A1, A2);
    explicit StaticDelegate2(Function function) : function(function) {}
    R operator()(A1 a1, A2 a2) const override { return function(a1, a2); }
    Delegate2<A1, A2, R>* Clone() const override { return new StaticDelegate2(*this); }
    bool Equals(const Delegate2<A1, A2, R>& other) const override
    {
        auto* same = dynamic_cast<const StaticDelegate2*>(&other);
        return same && same->function == function;
    }

    Function function;
};

// The counted handle by which layers, buttons and sliders share a delegate: the
// delegate dies with its last handle.
template <typename D> using DelegateHandle = std::shared_ptr<D>;

} // namespace base
