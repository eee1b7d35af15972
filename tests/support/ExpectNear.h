#pragma once
// Expects two vectors, quaternions or matrices to agree within a tolerance, component by
// component, and names the component (or matrix element) that does not. The expected value may
// be written as a braced list of the actual value's type.
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

namespace qvtest {

namespace detail {

template <typename T, typename = void>
struct HasElements : std::false_type {};
template <typename T>
struct HasElements<T, std::void_t<decltype(std::declval<T>().m)>> : std::true_type {};

template <typename T, typename = void>
struct HasW : std::false_type {};
template <typename T>
struct HasW<T, std::void_t<decltype(std::declval<T>().w)>> : std::true_type {};

// Keeps the expected value out of deduction, so that it may be a braced list.
template <typename T>
using Same = std::common_type_t<T>;

}  // namespace detail

template <typename T>
void ExpectNear(const T& actual, const detail::Same<T>& expected, double tolerance, const char* what = "") {
    if constexpr (detail::HasElements<T>::value) {
        for (std::size_t i = 0; i < std::size(actual.m); ++i) {
            EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << what << " element " << i;
        }
    } else {
        EXPECT_NEAR(actual.x, expected.x, tolerance) << what << " x";
        EXPECT_NEAR(actual.y, expected.y, tolerance) << what << " y";
        EXPECT_NEAR(actual.z, expected.z, tolerance) << what << " z";
        if constexpr (detail::HasW<T>::value) {
            EXPECT_NEAR(actual.w, expected.w, tolerance) << what << " w";
        }
    }
}

}  // namespace qvtest
