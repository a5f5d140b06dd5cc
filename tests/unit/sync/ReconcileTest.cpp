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
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.label;
}

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
const Task renamedThere = with(base, QStringLiteral("Plan a trip"));
Task fractional() {
    Task t = base;
    t.created = Date{100.6};
    return t;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ReconcileTable,
    testing::Values(
        Case{"NewHere",
             {std::nullopt, renamed, Date{1}, std::nullopt, Date{}},
             renamed,
             true,
             false},
        Case{"NewThere",
             {std::nullopt, std::nullopt, Date{}, renamed, Date{1}},
             renamed,
             false,
             true},
        Case{"SentButNotRecorded",
             {std::nullopt, renamed, Date{1}, renamed, Date{1}},
             renamed,
             false,
             false},
        Case{"Unchanged", {base, fractional(), Date{1}, base, Date{1}}, base, false, false},
        Case{"FieldsMerge",
             {base, renamed, Date{9}, doneThere, Date{1}},
             with(base, QStringLiteral("Plan the trip"), true),
             true,
             true},
        Case{"SameFieldLaterThere",
             {base, renamed, Date{1}, renamedThere, Date{2}},
             renamedThere,
             false,
             true},
        Case{"SameFieldLaterHere",
             {base, renamed, Date{3}, renamedThere, Date{2}},
             renamed,
             true,
             false},
        Case{"DeletedHere", {base, std::nullopt, Date{}, base, Date{1}}, std::nullopt, true, false},
        Case{"DeletedHereChangedThere",
             {base, std::nullopt, Date{}, doneThere, Date{1}},
             doneThere,
             false,
             true},
        Case{
            "DeletedThere", {base, base, Date{1}, std::nullopt, Date{}}, std::nullopt, false, true},
        Case{"DeletedThereChangedHere",
             {base, renamed, Date{1}, std::nullopt, Date{}},
             renamed,
             true,
             false}),
    [](const auto& param) { return std::string(param.param.label); });

} // namespace
