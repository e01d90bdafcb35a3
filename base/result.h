// The outcome of an operation that can fail: success, or a reason a person can read.
#pragma once

#include <string>
#include <utility>

namespace tessarin::base {

class TResult {
public:
    static TResult Success() { return TResult(true, {}); }
    static TResult Failure(std::string reason) { return TResult(false, std::move(reason)); }

    bool Ok() const { return Succeeded; }
    explicit operator bool() const { return Succeeded; }

    // What went wrong and where ("line 12: ..."); empty on success.
    const std::string& Reason() const { return Why; }

private:
    TResult(bool ok, std::string reason) : Succeeded(ok), Why(std::move(reason)) {}

    bool Succeeded;
    std::string Why;
};

}  // namespace tessarin::base
