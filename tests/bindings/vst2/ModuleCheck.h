#pragma once
// The checks of the module tests, in two builds from the same sources: with
// GoogleTest where it exists (Linux), and with the small runner below where
// it does not (the Windows builds, run under Wine). The runner prints one
// line per failed check and ends with "N passed, N failed".

#if defined(VELTO_CHECKS_WITH_GTEST)

#include <gtest/gtest.h>

#define MODULE_TEST(group, name) TEST(group, name)
#define CHECK_TRUE(cond) EXPECT_TRUE(cond)
#define CHECK_FALSE(cond) EXPECT_FALSE(cond)
#define CHECK_EQ(a, b) EXPECT_EQ(a, b)
#define CHECK_NE(a, b) EXPECT_NE(a, b)
#define CHECK_NEAR(a, b, tolerance) EXPECT_NEAR(a, b, tolerance)
#define REQUIRE_TRUE(cond) ASSERT_TRUE(cond)

#else

#include <cmath>
#include <sstream>
#include <string>

namespace modcheck {

using TestFunction = void (*)();

struct Registrar {
  Registrar(const char* group, const char* name, TestFunction fn);
};

// Counts one check; prints the failure. Returns ok.
bool Report(bool ok, const char* file, int line, const std::string& what);

template <class T>
std::string Show(const T& v) {
  std::ostringstream out;
  out << v;
  return out.str();
}
inline std::string Show(const std::string& v) { return "\"" + v + "\""; }
inline std::string Show(const char* v) { return v ? "\"" + std::string(v) + "\"" : "null"; }

// Each operand is evaluated once, as in GoogleTest.
template <class A, class B>
bool Eq(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
  if (a == b) return Report(true, file, line, "");
  return Report(false, file, line, std::string(ea) + " == " + eb + ": " + Show(a) + " vs " + Show(b));
}
template <class A, class B>
bool Ne(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
  if (a != b) return Report(true, file, line, "");
  return Report(false, file, line, std::string(ea) + " != " + eb + ": both " + Show(a));
}
inline bool Near(double a, double b, double tolerance, const char* ea, const char* eb, const char* file,
                 int line) {
  if (std::fabs(a - b) <= tolerance) return Report(true, file, line, "");
  return Report(false, file, line, std::string(ea) + " near " + eb + ": " + Show(a) + " vs " + Show(b));
}

}  // namespace modcheck

#define MODULE_TEST(group, name)                                                   \
  static void group##_##name();                                                   \
  static const modcheck::Registrar group##_##name##_registrar(#group, #name,      \
                                                              group##_##name);    \
  static void group##_##name()

#define CHECK_TRUE(cond) modcheck::Report(static_cast<bool>(cond), __FILE__, __LINE__, "expected true: " #cond)
#define CHECK_FALSE(cond) modcheck::Report(!(cond), __FILE__, __LINE__, "expected false: " #cond)
#define CHECK_EQ(a, b) modcheck::Eq((a), (b), #a, #b, __FILE__, __LINE__)
#define CHECK_NE(a, b) modcheck::Ne((a), (b), #a, #b, __FILE__, __LINE__)
#define CHECK_NEAR(a, b, tolerance) modcheck::Near((a), (b), (tolerance), #a, #b, __FILE__, __LINE__)
#define REQUIRE_TRUE(cond)                                                                     \
  do {                                                                                         \
    if (!modcheck::Report(static_cast<bool>(cond), __FILE__, __LINE__, "required: " #cond)) \
      return;                                                                                  \
  } while (0)

#endif
