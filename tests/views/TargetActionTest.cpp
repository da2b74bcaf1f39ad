#include "views/TargetAction.h"

#include "support/ActionRecorder.h"

#include <memory>

#include <gtest/gtest.h>

namespace {

TEST(TargetAction, SendsTheActionWithTheSender)
{
    ActionRecorder recorder;
    QObject sender;
    TargetAction report;
    report.setTarget(&recorder);
    report.setAction("playButtonPressed");
    EXPECT_TRUE(report.send(&sender));
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].action, "playButtonPressed");
    EXPECT_EQ(recorder.calls[0].sender, &sender);
}

TEST(TargetAction, SendsNothingWithoutATargetThatHasTheSlot)
{
    ActionRecorder recorder;
    QObject plain;
    QObject sender;
    const struct
    {
        const char* name;
        QObject* target;
        QByteArray action;
    } cases[] = {{"noTarget", nullptr, "playButtonPressed"},
                 {"noAction", &recorder, ""},
                 {"unknownAction", &recorder, "rewindButtonPressed"},
                 {"targetWithoutSlots", &plain, "playButtonPressed"},
                 // A method of that name exists, but not one taking the sender.
                 {"wrongSignature", &recorder, "deleteLater"}};
    for (const auto& c : cases) {
        TargetAction report;
        report.setTarget(c.target);
        report.setAction(c.action);
        EXPECT_FALSE(report.send(&sender)) << c.name;
    }
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(TargetAction, ForgetsATargetThatIsGone)
{
    auto recorder = std::make_unique<ActionRecorder>();
    TargetAction report;
    report.setTarget(recorder.get());
    report.setAction("stopButtonPressed");
    recorder.reset();
    EXPECT_EQ(report.target(), nullptr);
    EXPECT_FALSE(report.send(nullptr));
}

} // namespace
