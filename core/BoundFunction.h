#pragma once
// Callables invoked with a list of Any arguments that leave their result in an Any: free
// functions and unbound member functions. Delegates (member functions tied to one object)
// are in core/Delegate.h.
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/Any.h"

namespace MFCore {

struct FunctionSignature {
    uint32_t returnTypeId = kVoidTypeId;
    uint32_t classTypeId = 0;  // 0 for free functions
    std::vector<int> parameterTypeIds;
};

class BoundFunction {
public:
    BoundFunction(std::vector<Any> defaults, FunctionSignature signature)
        : defaults_(std::move(defaults)), signature_(std::move(signature)) {}
    virtual ~BoundFunction() = default;
    BoundFunction(const BoundFunction&) = delete;
    BoundFunction& operator=(const BoundFunction&) = delete;

    // Calls the function with the arguments, completed from the defaults when short. Throws
    // std::logic_error when arguments are missing or of the wrong type; the call is then not
    // made, the result is kept and the argument list is left as it was given.
    virtual void Invoke(std::vector<Any>& args) = 0;
    Any* GetResult() { return &result_; }
    // The object a delegate is tied to; null for every other form.
    virtual void* GetObject() const { return nullptr; }
    // A new delegate of the same shape tied to the object held by the Any (a T*); null for the
    // free-function forms. The caller owns the result.
    virtual BoundFunction* BindTo(Any object) {
        (void)object;
        return nullptr;
    }

    const FunctionSignature& GetSignature() const { return signature_; }
    const std::vector<Any>& GetDefaults() const { return defaults_; }
    // Adds a default for the next parameter from the end not yet covered.
    void AppendDefault(Any value) { defaults_.push_back(std::move(value)); }

    // Appends clones of the trailing defaults until args holds `needed` values. Throws
    // "Too few arguments given." (appending nothing) when the defaults do not cover the gap.
    static void FillDefaultArguments(std::vector<Any>& args, size_t needed, const std::vector<Any>& defaults);

protected:
    // Completes the list to `needed` values, extracts each Params from args[first...] and
    // returns them; on a failed extraction the list is cut back to its given length.
    template <class... Params>
    std::tuple<std::decay_t<Params>...> TakeArguments(std::vector<Any>& args, size_t first) {
        const size_t given = args.size();
        FillDefaultArguments(args, first + sizeof...(Params), defaults_);
        try {
            return ExtractFrom<Params...>(args, first, std::index_sequence_for<Params...>{});
        } catch (...) {
            args.resize(given);
            throw;
        }
    }

    // Runs the call and stores its value as the result (an int 0 for void).
    template <class R, class Call>
    void StoreResult(Call&& call) {
        if constexpr (std::is_void_v<R>) {
            call();
            result_ = Any(0);
        } else {
            result_ = Any(static_cast<std::decay_t<R>>(call()));
        }
    }

    template <class R, class... Params>
    static FunctionSignature MakeSignature(uint32_t classTypeId) {
        FunctionSignature signature;
        signature.returnTypeId = TypeIdOf<std::decay_t<R>>();
        signature.classTypeId = classTypeId;
        signature.parameterTypeIds = {static_cast<int>(TypeIdOf<std::decay_t<Params>>())...};
        return signature;
    }

    // The object argument of an unbound member form; an absent one reads as empty.
    template <class T>
    static T* ExtractObject(const std::vector<Any>& args) {
        return Any::Extract<T*>(args.empty() ? Any() : args[0]);
    }

private:
    template <class... Params, size_t... I>
    static std::tuple<std::decay_t<Params>...> ExtractFrom(const std::vector<Any>& args, size_t first,
                                                           std::index_sequence<I...>) {
        // Braced initialisation extracts in parameter order.
        return std::tuple<std::decay_t<Params>...>{Any::Extract<std::decay_t<Params>>(args[first + I])...};
    }

    std::vector<Any> defaults_;
    Any result_;
    FunctionSignature signature_;
};

template <class R, class T>
class Delegate_0Parameters;
template <class R, class T>
class ConstDelegate_0Parameters;
template <class R, class T, class A>
class Delegate_1Parameters;

// R (T::*)(): invoked with the object (a T*) as argument 0.
template <class R, class T>
class MemberFunction_0Parameters : public BoundFunction {
public:
    using Method = R (T::*)();
    explicit MemberFunction_0Parameters(Method method, std::vector<Any> defaults = {})
        : BoundFunction(std::move(defaults), MakeSignature<R>(TypeIdOf<T>())), method_(method) {}

    void Invoke(std::vector<Any>& args) override {
        T* object = ExtractObject<T>(args);
        Method method = method_;
        StoreResult<R>([&] { return (object->*method)(); });
    }
    BoundFunction* BindTo(Any object) override;

protected:
    Method method_;
};

// R (T::*)() const: invoked with the object (a T*) as argument 0.
template <class R, class T>
class ConstMemberFunction_0Parameters : public BoundFunction {
public:
    using Method = R (T::*)() const;
    explicit ConstMemberFunction_0Parameters(Method method, std::vector<Any> defaults = {})
        : BoundFunction(std::move(defaults), MakeSignature<R>(TypeIdOf<T>())), method_(method) {}

    void Invoke(std::vector<Any>& args) override {
        T* object = ExtractObject<T>(args);
        Method method = method_;
        StoreResult<R>([&] { return (object->*method)(); });
    }
    BoundFunction* BindTo(Any object) override;

protected:
    Method method_;
};

// R (T::*)(A): invoked with the object (a T*) then the parameter.
template <class R, class T, class A>
class MemberFunction_1Parameters : public BoundFunction {
public:
    using Method = R (T::*)(A);
    explicit MemberFunction_1Parameters(Method method, std::vector<Any> defaults = {})
        : BoundFunction(std::move(defaults), MakeSignature<R, A>(TypeIdOf<T>())), method_(method) {}

    void Invoke(std::vector<Any>& args) override {
        auto values = TakeArguments<T*, A>(args, 0);
        Method method = method_;
        StoreResult<R>([&] { return (std::get<0>(values)->*method)(std::get<1>(values)); });
    }
    BoundFunction* BindTo(Any object) override;

protected:
    Method method_;
};

template <class R>
class StaticFunction_0Parameters : public BoundFunction {
public:
    using Function = R (*)();
    explicit StaticFunction_0Parameters(Function function, std::vector<Any> defaults = {})
        : BoundFunction(std::move(defaults), MakeSignature<R>(0)), function_(function) {}

    void Invoke(std::vector<Any>&) override {
        Function function = function_;
        StoreResult<R>([&] { return function(); });
    }

private:
    Function function_;
};

template <class R, class A>
class StaticFunction_1Parameters : public BoundFunction {
public:
    using Function = R (*)(A);
    explicit StaticFunction_1Parameters(Function function, std::vector<Any> defaults = {})
        : BoundFunction(std::move(defaults), MakeSignature<R, A>(0)), function_(function) {}

    void Invoke(std::vector<Any>& args) override {
        auto values = TakeArguments<A>(args, 0);
        Function function = function_;
        StoreResult<R>([&] { return function(std::get<0>(values)); });
    }

private:
    Function function_;
};

template <class R, class A, class B, class C>
class StaticFunction_3Parameters : public BoundFunction {
public:
    using Function = R (*)(A, B, C);
    explicit StaticFunction_3Parameters(Function function, std::vector<Any> defaults = {})
        : BoundFunction(std::move(defaults), MakeSignature<R, A, B, C>(0)), function_(function) {}

    void Invoke(std::vector<Any>& args) override {
        auto values = TakeArguments<A, B, C>(args, 0);
        Function function = function_;
        StoreResult<R>([&] { return function(std::get<0>(values), std::get<1>(values), std::get<2>(values)); });
    }

private:
    Function function_;
};

}  // namespace MFCore

#include "core/Delegate.h"
