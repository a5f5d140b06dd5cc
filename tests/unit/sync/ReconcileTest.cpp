#include "sync/Reconcile.h"
#include "Builders.h"

#include <gtest/gtest.h>

namespace {

const Task base = makeTask(QStringLiteral("Plan trip"), 100);

Task with(Task t, const QString& name, bool done = false) {
    t.name = name;
    t.isDone = done;
    t.doneDate = done ? std::optional<Date>(Date{500}) : std::nullopt;
    return t;
}

struct Case {
    const char* label;
    Reconcile::Versions versions;
    std::optional<Task> expected;
    bool push;
    bool pull;
};

class ReconcileTable : public testing::TestWithParam<Case> {};

TEST_P(ReconcileTable, KeepsEveryChange) {
    const Case& c = GetParam();
    const Reconcile::Outcome out = Reconcile::reconcile(c.versions);
    ASSERT_EQ(out.result.has_value(), c.expected.has_value());
    if (out.result) {
        EXPECT_TRUE(Reconcile::sameTask(*out.result, *c.expected))
            << out.result->name.toStdString() << " done " << out.result->isDone;
    }
    EXPECT_EQ(out.push, c.push);
    EXPECT_EQ(out.pull, c.pull);
}

const Task renamed = with(base, QStringLiteral("Plan the trip"));
const Task doneThere = with(base, QStringLiteral("Plan trip"), true);
const Task retitled = with(base, QStringLiteral("Plan a trip"));
const Task renamedAndDone = with(base, QStringLiteral("Plan the trip"), true);
constexpr std::nullopt_t none = std::nullopt;
Task fractional() {
    Task t = base;
    t.created = Date{100.6};
    return t;
}

// label, {base, here, changed here, there, changed there}, result, push, pull
const Case cases[] = {
    // clang-format off
    {"NewHere", {none, renamed, Date{1}, none, Date{}}, renamed, true, false},
    {"NewThere", {none, none, Date{}, renamed, Date{1}}, renamed, false, true},
    {"SentButNotRecorded", {none, renamed, Date{1}, renamed, Date{1}}, renamed, false, false},
    {"Unchanged", {base, fractional(), Date{1}, base, Date{1}}, base, false, false},
    {"FieldsMerge", {base, renamed, Date{9}, doneThere, Date{1}}, renamedAndDone, true, true},
    {"SameFieldLaterThere", {base, renamed, Date{1}, retitled, Date{2}}, retitled, false, true},
    {"SameFieldLaterHere", {base, renamed, Date{3}, retitled, Date{2}}, renamed, true, false},
    {"DeletedHere", {base, none, Date{}, base, Date{1}}, none, true, false},
    {"DeletedHereChangedThere", {base, none, Date{}, doneThere, Date{1}}, doneThere, false, true},
    {"DeletedThere", {base, base, Date{1}, none, Date{}}, none, false, true},
    {"DeletedThereChangedHere", {base, renamed, Date{1}, none, Date{}}, renamed, true, false},
    // clang-format on
};

INSTANTIATE_TEST_SUITE_P(Versions, ReconcileTable, testing::ValuesIn(cases),
                         [](const auto& param) { return std::string(param.param.label); });

} // namespace
