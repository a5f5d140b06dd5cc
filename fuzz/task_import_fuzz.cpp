// Arbitrary bytes as a file given to the task list's Import…: never a crash; the list keeps
// every task it had, in its place; each new task has a text no other task has; a revived task
// is open and stamped now; importing the same file again adds nothing; and the import preview,
// accepted as it opens, reads the file exactly as an import without it.
#include "Check.h"
#include "tasklist/ImportSample.h"
#include "tasklist/TaskCsv.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

Task makeTask(const char* name, bool done, bool snoozed) {
    Task task;
    task.id = QUuid::createUuid();
    task.name = QString::fromUtf8(name);
    task.created = Date{700'000'000};
    task.isDone = done;
    task.doneDate = done ? std::optional(Date{700'000'100}) : std::nullopt;
    task.isSnoozed = snoozed;
    task.snoozedUntil = snoozed ? std::optional(Date{900'000'000}) : std::nullopt;
    return task;
}

// A list with a done task, a snoozed one, a text held twice and a text of one character.
const std::vector<Task>& startingList() {
    static const std::vector<Task> tasks{
        makeTask("Buy milk and bread", true, false), makeTask("Call the bank", false, true),
        makeTask("Buy milk and bread", false, false), makeTask("x", false, false),
        makeTask("Naïve café ☕ 👍🏽", false, false)};
    return tasks;
}

const Date stamp{800'000'000};

void checkMerged(const std::vector<Task>& before, const TaskCsv::ImportResult& result) {
    check(result.tasks.size() >= before.size() && result.rowsRead >= 0 &&
          result.revivedTasks >= 0 &&
          static_cast<std::size_t>(result.revivedTasks) <= before.size());
    QSet<QString> texts;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const Task& task = result.tasks[i];
        check(task.id == before[i].id && task.name == before[i].name);
        if (task.created == stamp) {
            check(!task.isDone && !task.doneDate && !task.isSnoozed && !task.snoozedUntil);
        } else {
            check(task.created == before[i].created && task.isDone == before[i].isDone &&
                  task.isSnoozed == before[i].isSnoozed);
        }
        texts.insert(task.name);
    }
    for (std::size_t i = before.size(); i < result.tasks.size(); ++i) {
        const Task& task = result.tasks[i];
        check(!task.name.isEmpty() && !texts.contains(task.name) && task.created == stamp);
        check(!task.isDone && !task.isSnoozed && !task.id.isNull());
        texts.insert(task.name);
    }
    check(result.tasks.size() - before.size() == static_cast<std::size_t>(result.addedTasks) &&
          result.addedTasks + result.revivedTasks <= result.rowsRead);
}

// The same tasks (new ones get ids of their own) and the same counts.
bool sameImport(const TaskCsv::ImportResult& a, const TaskCsv::ImportResult& b) {
    return a.rowsRead == b.rowsRead && a.addedTasks == b.addedTasks &&
           a.revivedTasks == b.revivedTasks && a.stoppedBecause == b.stoppedBecause &&
           std::equal(a.tasks.begin(), a.tasks.end(), b.tasks.begin(), b.tasks.end(),
                      [](const Task& x, const Task& y) {
                          return x.name == y.name && x.created == y.created &&
                                 x.isDone == y.isDone && x.isSnoozed == y.isSnoozed;
                      });
}

// The preview of the file, its default path, and every delimiter it offers.
void checkPreview(const QString& path, const TaskCsv::ImportResult& plain, const Clock& now) {
    const ImportSample sample(path);
    const TaskCsv::ImportFormat suggested = sample.suggestedFormat(U',');
    check(sameImport(plain, TaskCsv::importFile(path, startingList(), now, suggested)));
    static_cast<void>(sample.detectedDelimiter());
    for (const char32_t delimiter : TaskCsv::importDelimiters) {
        check(sample.rows(delimiter, 8).size() <= 8);
        const TaskCsv::ImportFormat format = sample.suggestedFormat(delimiter);
        checkMerged(startingList(), TaskCsv::importFile(path, startingList(), now, format));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("import.csv"));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
              static_cast<qint64>(size));
    }
    const Clock now = [] { return stamp; };
    try {
        const TaskCsv::ImportResult first = TaskCsv::importFile(path, startingList(), now);
        checkMerged(startingList(), first);
        const TaskCsv::ImportResult again = TaskCsv::importFile(path, first.tasks, now);
        checkMerged(first.tasks, again);
        check(again.tasks.size() == first.tasks.size() && again.addedTasks == 0 &&
              again.rowsRead == first.rowsRead &&
              again.stoppedBecause.has_value() == first.stoppedBecause.has_value());
        checkPreview(path, first, now);
    } catch (const TaskCsv::TransferError& error) {
        check(!error.reason().isEmpty());
    }
    return 0;
}
