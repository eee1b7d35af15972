#pragma once
// A value of any type behind one owned, type-tagged holder. Extraction checks the exact
// run-time type of the stored value; the numeric type id is carried for the tweak bars.
#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "core/TypeId.h"

namespace MFCore {

class Any {
public:
    class AnyDataHolder {
    public:
        explicit AnyDataHolder(uint32_t typeId) : typeId_(typeId) {}
        virtual ~AnyDataHolder() = default;
        virtual AnyDataHolder* Clone() const = 0;
        virtual const std::type_info& Type() const = 0;
        uint32_t GetTypeId() const { return typeId_; }

    protected:
        AnyDataHolder(const AnyDataHolder&) = default;
        AnyDataHolder& operator=(const AnyDataHolder&) = delete;

    private:
        uint32_t typeId_;
    };

    template <class T>
    class AnyDataHolderSpecialization : public AnyDataHolder {
    public:
        explicit AnyDataHolderSpecialization(const T& value) : AnyDataHolder(TypeIdOf<T>()), value_(value) {}
        AnyDataHolder* Clone() const override { return new AnyDataHolderSpecialization(*this); }
        const std::type_info& Type() const override { return typeid(T); }
        const T& Value() const { return value_; }

    private:
        AnyDataHolderSpecialization(const AnyDataHolderSpecialization&) = default;
        T value_;
    };

    Any() = default;
    // Stores a copy of the value; arrays and functions decay (a string literal is a char const*).
    template <class V, class T = std::decay_t<V>, class = std::enable_if_t<!std::is_same_v<T, Any>>>
    explicit Any(V&& value) : holder_(new AnyDataHolderSpecialization<T>(std::forward<V>(value))) {}

    Any(const Any& other) : holder_(other.holder_ ? other.holder_->Clone() : nullptr) {}
    Any(Any&& other) noexcept : holder_(std::exchange(other.holder_, nullptr)) {}
    Any& operator=(Any other) noexcept {
        std::swap(holder_, other.holder_);
        return *this;
    }
    ~Any() { delete holder_; }

    bool IsEmpty() const { return holder_ == nullptr; }
    const AnyDataHolder* GetHolder() const { return holder_; }
    // 0 for an empty Any.
    uint32_t GetTypeId() const { return holder_ ? holder_->GetTypeId() : 0; }

    // The stored value when its exact type is T; throws std::logic_error otherwise.
    template <class T>
    static T Extract(const Any& any) {
        using Stored = std::remove_cv_t<std::remove_reference_t<T>>;
        if (!any.holder_) throw std::logic_error("Attempt to extract from an empty Any!");
        if (any.holder_->Type() != typeid(Stored))
            throw std::logic_error("Bad attempt to extract data from an Any.  Wrong data type!");
        return static_cast<const AnyDataHolderSpecialization<Stored>*>(any.holder_)->Value();
    }

private:
    AnyDataHolder* holder_ = nullptr;
};

// A one-element argument list holding a copy of the value (a clone when it is an Any).
template <class T>
std::vector<Any> MakeArguments(const T& value) {
    std::vector<Any> args;
    args.reserve(1);
    if constexpr (std::is_same_v<T, Any>)
        args.push_back(value);
    else
        args.emplace_back(value);
    return args;
}

}  // namespace MFCore
