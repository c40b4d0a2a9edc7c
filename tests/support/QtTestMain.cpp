// main() for tests of real widgets. The application is made in a test
// environment, so listing the tests needs no display platform.

#include <memory>

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class ApplicationEnvironment : public ::testing::Environment {
 public:
  ApplicationEnvironment(int& argc, char** argv) : argc_(argc), argv_(argv) {}
  void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { application_.reset(); }

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment(argc, argv));
  return RUN_ALL_TESTS();
}
