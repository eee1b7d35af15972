#pragma once
// Delegates: member functions tied to one object, invoked with the parameters alone.
#include "core/BoundFunction.h"

namespace MFCore {

template <class R, class T>
class Delegate_0Parameters : public MemberFunction_0Parameters<R, T> {
public:
    Delegate_0Parameters(T* object, typename MemberFunction_0Parameters<R, T>::Method method,
                         std::vector<Any> defaults = {})
        : MemberFunction_0Parameters<R, T>(method, std::move(defaults)), object_(object) {}

    void Invoke(std::vector<Any>&) override {
        T* object = object_;
        auto method = this->method_;
        this->template StoreResult<R>([&] { return (object->*method)(); });
    }
    void* GetObject() const override { return object_; }

private:
    T* object_;
};

template <class R, class T>
class ConstDelegate_0Parameters : public ConstMemberFunction_0Parameters<R, T> {
public:
    ConstDelegate_0Parameters(T* object, typename ConstMemberFunction_0Parameters<R, T>::Method method,
                              std::vector<Any> defaults = {})
        : ConstMemberFunction_0Parameters<R, T>(method, std::move(defaults)), object_(object) {}

    void Invoke(std::vector<Any>&) override {
        T* object = object_;
        auto method = this->method_;
        this->template StoreResult<R>([&] { return (object->*method)(); });
    }
    void* GetObject() const override { return object_; }

private:
    T* object_;
};

template <class R, class T, class A>
class Delegate_1Parameters : public MemberFunction_1Parameters<R, T, A> {
public:
    Delegate_1Parameters(T* object, typename MemberFunction_1Parameters<R, T, A>::Method method,
                         std::vector<Any> defaults = {})
        : MemberFunction_1Parameters<R, T, A>(method, std::move(defaults)), object_(object) {}

    void Invoke(std::vector<Any>& args) override {
        auto values = this->template TakeArguments<A>(args, 0);
        T* object = object_;
        auto method = this->method_;
        this->template StoreResult<R>([&] { return (object->*method)(std::get<0>(values)); });
    }
    void* GetObject() const override { return object_; }
    // The bound call with its argument as it is, for callers that know the exact types and
    // need neither an argument list nor a stored result.
    R Call(A arg) {
        T* object = object_;
        auto method = this->method_;
        return (object->*method)(arg);
    }

private:
    T* object_;
};

// Binding (of an unbound form, or re-binding a delegate) keeps the method and drops the
// defaults.
template <class R, class T>
BoundFunction* MemberFunction_0Parameters<R, T>::BindTo(Any object) {
    return new Delegate_0Parameters<R, T>(Any::Extract<T*>(object), method_);
}

template <class R, class T>
BoundFunction* ConstMemberFunction_0Parameters<R, T>::BindTo(Any object) {
    return new ConstDelegate_0Parameters<R, T>(Any::Extract<T*>(object), method_);
}

template <class R, class T, class A>
BoundFunction* MemberFunction_1Parameters<R, T, A>::BindTo(Any object) {
    return new Delegate_1Parameters<R, T, A>(Any::Extract<T*>(object), method_);
}

}  // namespace MFCore
