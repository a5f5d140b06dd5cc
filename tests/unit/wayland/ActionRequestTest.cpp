// Action requests and answers keep to one line whatever their texts hold; other lines are
// neither.
#include "platform/ActionRequest.h"

#include <gtest/gtest.h>

TEST(ActionRequest, AnyTextSurvivesTheLineAndOnlyWholeActionLinesAreRequests) {
    const ActionRequest sent{"add", "Buy milk\nand  eggs 100% «now» %20 ", "token-1", "id 7"};
    const QByteArray line = sent.encoded();
    EXPECT_EQ(line.count('\n'), 1);
    const auto received = ActionRequest::decoded(line);
    ASSERT_TRUE(received);
    EXPECT_EQ(std::tie(received->name, received->text, received->activationToken, received->id),
              std::tie(sent.name, sent.text, sent.activationToken, sent.id));
    for (const ActionReply& reply : {ActionReply{true, "Done: a b"}, ActionReply{false, "n\n"},
                                     ActionReply{true, "Added, but not saved yet", true}}) {
        const auto back = ActionReply::decoded(reply.encoded());
        ASSERT_TRUE(back);
        EXPECT_EQ(std::tie(back->done, back->message, back->unsaved),
                  std::tie(reply.done, reply.message, reply.unsaved));
    }

    EXPECT_TRUE(ActionRequest::decoded("action 1 done  \n"));
    // The line before requests carried an id is not one.
    for (const char* other : {"activate\n", "action 1 done  ", "action 1 done   x\n",
                              "action done  \n", "done 1 x  \n", ""}) {
        EXPECT_FALSE(ActionRequest::decoded(other)) << other;
    }
    EXPECT_FALSE(ActionReply::decoded("done a b\n"));
    EXPECT_FALSE(ActionReply::decoded("maybe a\n"));
}
