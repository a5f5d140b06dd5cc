// Arbitrary bytes as a calendar resource a server holds: reading it never crashes, and a task
// read from it comes back the same from the resource Quenby writes over it, whatever else the
// resource carries. A done recurring task moves its series on instead, so it is left out.
#include "Check.h"
#include "sync/caldav/VTodo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray ics(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto read = VTodo::read(ics);
    const auto* resource = std::get_if<VTodo::Resource>(&read);
    if (!resource) {
        check(!std::get<QString>(read).isEmpty());
        return 0;
    }
    const Task& task = resource->task;
    check(task.name.size() <= VTodo::maxSummary);
    if (task.isDone && ics.contains("RRULE")) {
        return 0;
    }
    const QByteArray written = VTodo::write(task, Date{800'000'000}, ics);
    const auto again = VTodo::read(written);
    check(std::holds_alternative<VTodo::Resource>(again));
    check(std::get<VTodo::Resource>(again).task == task);
    return 0;
}
