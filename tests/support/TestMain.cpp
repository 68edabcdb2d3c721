// Test entry point: a QApplication for the whole run, headless unless the
// environment asks for a real display.
#include <QApplication>
#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <string>

namespace {

// Gathers why tests were skipped, so that a program whose every test was
// skipped can tell ctest so (status 77) and say why in one place.
class SkipReasons : public ::testing::EmptyTestEventListener {
public:
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.skipped()) reasons_.insert(result.message());
    }
    const std::set<std::string>& reasons() const { return reasons_; }

private:
    std::set<std::string> reasons_;
};

// 77 is the status ctest's SKIP_RETURN_CODE knows as "skipped".
constexpr int kAllSkipped = 77;

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    auto* skips = new SkipReasons;  // owned by the listener list from here on
    ::testing::UnitTest::GetInstance()->listeners().Append(skips);
    const int status = RUN_ALL_TESTS();

    const ::testing::UnitTest& run = *::testing::UnitTest::GetInstance();
    if (status != 0 || run.test_to_run_count() == 0 || run.skipped_test_count() != run.test_to_run_count())
        return status;
    for (const std::string& reason : skips->reasons()) std::cout << "SKIP: " << reason << '\n';
    return kAllSkipped;
}
