#include "toolkit/Error.h"

#include <new>
#include <typeinfo>

namespace toolkit {

Error::Error(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

Error Error::from(const std::exception& e) {
    if (auto* own = dynamic_cast<const Error*>(&e)) return *own;
    if (dynamic_cast<const std::out_of_range*>(&e))
        return Error(errors::SubscriptOutOfRange, kProgramSource, "Subscript out of range");
    if (dynamic_cast<const std::bad_alloc*>(&e)) return Error(errors::OutOfMemory, kProgramSource, "Out of memory");
    if (dynamic_cast<const std::invalid_argument*>(&e) || dynamic_cast<const std::length_error*>(&e))
        return Error(errors::InvalidProcedureCall, kProgramSource, "Invalid procedure call or argument");
    if (dynamic_cast<const std::overflow_error*>(&e)) return Error(errors::Overflow, kProgramSource, "Overflow");
    return Error(errors::InternalError, kProgramSource, std::string("Internal error: ") + e.what());
}

}  // namespace toolkit
