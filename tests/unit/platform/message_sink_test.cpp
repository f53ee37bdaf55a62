#include "platform/message_sink.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

namespace vc {

TEST(MessageSink, RecorderReceivesMessagesAndRestoresThePreviousSink) {
    MessageSink* before = &CurrentMessageSink();
    {
        test::RecordingMessageSink outer;
        {
            test::RecordingMessageSink inner(true);
            CurrentMessageSink().Show(MessageKind::Error, "Error", "inner text");
            EXPECT_TRUE(CurrentMessageSink().Confirm("Question", "Go on?"));
            EXPECT_TRUE(inner.Contains("inner text"));
        }
        CurrentMessageSink().Show(MessageKind::Information, "Info", "outer text");
        EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer text"});
    }
    EXPECT_EQ(&CurrentMessageSink(), before);
}

} // namespace vc
