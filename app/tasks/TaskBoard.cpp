#include "tasks/TaskBoard.h"

#include "store/DBManager.h"
#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"
#include "support/Console.h"
#include "support/Graphemes.h"

#include <QSet>

#include <algorithm>
#include <array>

const QString TaskBoard::aHint = QStringLiteral("Hint: Press Control-Alt-A to add a new task");
const QString TaskBoard::dHint = QStringLiteral("Hint: Press Control-Alt-D to mark task as done");
const QString TaskBoard::hHint =
    QStringLiteral("Hint: Press Control-Alt-H to snooze task for an hour");

namespace {

constexpr double secondsPerHour = 3600;
constexpr std::chrono::seconds saveRetryInterval{2};

// Stored tutorials may carry the hints' first wording, which named a key PC keyboards lack.
void renameOldHints(std::vector<Task>& tasks, bool& renamed) {
    const std::array<std::pair<QLatin1StringView, const QString*>, 3> oldHints{{
        {QLatin1StringView("Hint: Press Control-Option-A to add a new task"), &TaskBoard::aHint},
        {QLatin1StringView("Hint: Press Control-Option-D to mark task as done"), &TaskBoard::dHint},
        {QLatin1StringView("Hint: Press Control-Option-H to snooze task for an hour"),
         &TaskBoard::hHint},
    }};
    for (Task& task : tasks) {
        for (const auto& [old, hint] : oldHints) {
            if (task.isTutorial && task.name == old) {
                task.name = *hint;
                renamed = true;
            }
        }
    }
}

// True when the order changed.
bool sortByCreation(std::vector<Task>& tasks) {
    const auto earlier = [](const Task& a, const Task& b) { return a.created < b.created; };
    // Almost always sorted already; a stable sort of a sorted list would only move it.
    if (std::is_sorted(tasks.begin(), tasks.end(), earlier)) {
        return false;
    }
    std::stable_sort(tasks.begin(), tasks.end(), earlier);
    return true;
}

// True when an item woke.
template <typename Item> bool wakeExpiredItems(std::vector<Item>& items, const Clock& now) {
    bool woke = false;
    for (Item& item : items) {
        if (item.isSnoozed && item.snoozedUntil && *item.snoozedUntil < now()) {
            item.isSnoozed = false;
            item.snoozedUntil.reset();
            woke = true;
        }
    }
    return woke;
}

void unsnoozeTask(Task& task) {
    task.isSnoozed = false;
    task.snoozedUntil.reset();
}

} // namespace

TaskBoard::TaskBoard(Clock clock, QObject* parent)
    : QObject(parent)
    , now_(std::move(clock)) {
    saveRetry_.setInterval(saveRetryInterval);
    connect(&saveRetry_, &QTimer::timeout, this, [this] {
        saveUnsavedTasks();
        saveUnsavedMessages();
    });
}

TaskBoard::Batch::Batch(TaskBoard& board)
    : board_(board) {
    ++board_.batches_;
}

TaskBoard::Batch::~Batch() {
    if (--board_.batches_ == 0) {
        board_.saveUnsavedTasks();
        board_.saveUnsavedMessages();
    }
}

void TaskBoard::reloadMessages() {
    if (!messagesUnsaved_) {
        messages_ = DBManager::getSystemMessages();
    }
}

void TaskBoard::replaceMessages(std::vector<SystemMessage> messages) {
    messages_ = std::move(messages);
    saveMessages();
    emit changed();
}

void TaskBoard::load() {
    tasks_ = DBManager::getTaskList();
    // A list stored out of order is written back sorted by the first pass.
    tasksUnsaved_ = sortByCreation(tasks_);
    renameOldHints(tasks_, tasksUnsaved_);
    addTutorialTasks();
    messages_ = DBManager::getSystemMessages();
    messagesUnsaved_ = false;
}

QString TaskBoard::taskName(const QString& text) {
    return Graphemes::first(text, maxTaskLength);
}

std::optional<std::size_t> TaskBoard::currentTask() const {
    if (const auto* id = std::get_if<QUuid>(&current_)) {
        const auto it =
            std::find_if(tasks_.begin(), tasks_.end(), [id](const Task& t) { return t.id == *id; });
        if (it != tasks_.end()) {
            return static_cast<std::size_t>(it - tasks_.begin());
        }
    } else if (const auto* messageId = std::get_if<std::int64_t>(&current_)) {
        const auto it =
            std::find_if(messages_.begin(), messages_.end(),
                         [messageId](const SystemMessage& m) { return m.id == *messageId; });
        if (it != messages_.end()) {
            return static_cast<std::size_t>(it - messages_.begin());
        }
    }
    return std::nullopt;
}

const Task* TaskBoard::currentTaskItem() const {
    const auto index = currentTask();
    return index && !systemMessageActive() ? &tasks_[*index] : nullptr;
}

const SystemMessage* TaskBoard::currentMessage() const {
    const auto index = currentTask();
    return index && systemMessageActive() ? &messages_[*index] : nullptr;
}

void TaskBoard::addTutorialTasks() {
    // Once per store: hints the user has followed do not come back at the next start.
    if (std::any_of(tasks_.begin(), tasks_.end(), [](const Task& t) { return t.isTutorial; }) ||
        PreferenceStore::standard().boolForKey(StoreKeys::tutorialsAdded)) {
        return;
    }
    for (const QString& hint : {aHint, dHint, hHint}) {
        Task tutorial;
        tutorial.id = QUuid::createUuid();
        tutorial.name = hint;
        tutorial.created = now_();
        tutorial.isTutorial = true;
        tasks_.push_back(tutorial);
    }
    // Saved by the first selection pass.
    tasksUnsaved_ = true;
    // A failed write has said why; the hints may then come again at the next start.
    static_cast<void>(PreferenceStore::standard().setBool(StoreKeys::tutorialsAdded, true));
}

TaskBoard::Snoozed TaskBoard::snoozedTasks() const {
    Snoozed snoozed;
    for (const Task& task : tasks_) {
        if (task.isSnoozed && !task.isDone && !task.isTutorial) {
            ++snoozed.count;
            if (task.snoozedUntil &&
                (!snoozed.nextBack || *task.snoozedUntil < *snoozed.nextBack)) {
                snoozed.nextBack = task.snoozedUntil;
            }
        }
    }
    return snoozed;
}

void TaskBoard::setCurrentTask() {
    tasksUnsaved_ |= sortByCreation(tasks_);
    wakeExpired();
    current_ = std::monostate{};
    const auto message = std::find_if(messages_.begin(), messages_.end(),
                                      [](const SystemMessage& m) { return !m.isSnoozed; });
    const auto open = std::find_if(tasks_.begin(), tasks_.end(), [](const Task& t) {
        return !t.isSnoozed && !t.isTutorial && !t.isDone;
    });
    const auto tutorial =
        std::find_if(tasks_.begin(), tasks_.end(), [](const Task& t) { return t.isTutorial; });
    if (message != messages_.end()) {
        current_ = message->id;
    } else if (open != tasks_.end()) {
        current_ = open->id;
    } else if (tutorial != tasks_.end()) {
        current_ = tutorial->id;
    }
    emit changed();
}

void TaskBoard::wakeExpired() {
    tasksUnsaved_ |= wakeExpiredItems(tasks_, now_);
    saveUnsavedTasks();
    messagesUnsaved_ |= wakeExpiredItems(messages_, now_);
    saveUnsavedMessages();
}

void TaskBoard::saveTasks() {
    tasksUnsaved_ = true;
    saveUnsavedTasks();
}

void TaskBoard::saveMessages() {
    messagesUnsaved_ = true;
    saveUnsavedMessages();
}

// A pass that changed nothing writes nothing; a failed save is tried again at the next,
// and a while later.
void TaskBoard::saveUnsavedTasks() {
    if (tasksUnsaved_ && batches_ == 0) {
        noteSave(tasksUnsaved_, DBManager::saveTaskList(tasks_));
    }
}

void TaskBoard::saveUnsavedMessages() {
    if (messagesUnsaved_ && batches_ == 0) {
        noteSave(messagesUnsaved_, DBManager::saveSystemMessages(messages_));
    }
}

void TaskBoard::noteSave(bool& unsaved, const Saved& saved) {
    unsaved = !saved;
    if (saved.failure) {
        saveFailure_ = *saved.failure;
    } else if (!tasksUnsaved_ && !messagesUnsaved_) {
        saveFailure_.clear();
    }
    if (tasksUnsaved_ || messagesUnsaved_) {
        saveRetry_.start();
    } else {
        saveRetry_.stop();
    }
}

bool TaskBoard::removeTutorial(const QString& hint) {
    const auto it = std::find_if(tasks_.begin(), tasks_.end(),
                                 [&hint](const Task& t) { return t.isTutorial && t.name == hint; });
    if (it == tasks_.end()) {
        return false;
    }
    tasks_.erase(it);
    saveTasks();
    emit changed();
    return true;
}

void TaskBoard::addTask(const QString& text) {
    if (!text.isEmpty()) {
        Task task;
        task.id = QUuid::createUuid();
        task.name = taskName(text);
        task.created = now_();
        tasks_.push_back(task);
        saveTasks();
    }
    setCurrentTask();
}

void TaskBoard::doneCurrent() {
    const auto index = currentTask();
    if (!index) {
        return;
    }
    if (systemMessageActive()) {
        messages_.erase(messages_.begin() + static_cast<std::ptrdiff_t>(*index));
        saveMessages();
    } else {
        Task& task = tasks_[*index];
        task.isDone = true;
        task.doneDate = now_();
        saveTasks();
        removeTutorial(dHint);
    }
    setCurrentTask();
}

void TaskBoard::snoozeCurrent(double hours) {
    if (const auto index = currentTask()) {
        const Date until = now_().addingSeconds(hours * secondsPerHour);
        if (systemMessageActive()) {
            SystemMessage& message = messages_[*index];
            message.snoozedUntil = until;
            message.isSnoozed = true;
            saveMessages();
        } else {
            Task& task = tasks_[*index];
            task.snoozedUntil = until;
            task.isSnoozed = true;
            saveTasks();
        }
    }
    removeTutorial(hHint);
    setCurrentTask();
}

void TaskBoard::unsnoozeAll() {
    std::for_each(tasks_.begin(), tasks_.end(), unsnoozeTask);
    saveTasks();
    setCurrentTask();
}

template <typename Change> void TaskBoard::changeTasks(const QList<QUuid>& ids, Change change) {
    const QSet<QUuid> chosen(ids.begin(), ids.end());
    for (Task& task : tasks_) {
        if (chosen.contains(task.id)) {
            change(task);
        }
    }
    saveTasks();
    setCurrentTask();
}

void TaskBoard::setDone(const QList<QUuid>& ids, bool done) {
    const Date at = now_();
    changeTasks(ids, [done, at](Task& task) {
        task.isDone = done;
        task.doneDate = done ? std::optional<Date>(at) : std::nullopt;
        unsnoozeTask(task);
    });
}

void TaskBoard::rename(const QUuid& id, const QString& name) {
    changeTasks({id}, [name = taskName(name)](Task& task) { task.name = name; });
}

void TaskBoard::unsnooze(const QList<QUuid>& ids) {
    changeTasks(ids, unsnoozeTask);
}

void TaskBoard::remove(const QList<QUuid>& ids) {
    const QSet<QUuid> chosen(ids.begin(), ids.end());
    std::erase_if(tasks_, [&chosen](const Task& t) { return chosen.contains(t.id); });
    saveTasks();
    setCurrentTask();
}

void TaskBoard::removeAllDone() {
    std::erase_if(tasks_, [](const Task& t) { return t.isDone; });
    saveTasks();
    setCurrentTask();
}

QMetaObject::Connection TaskBoard::onChange(const QObject* context, std::function<void()> changed) {
    return connect(this, &TaskBoard::changed, context, std::move(changed));
}

void TaskBoard::replaceTasks(std::vector<Task> tasks) {
    tasks_ = std::move(tasks);
    saveTasks();
    setCurrentTask();
}
