#pragma once
// A function the start-up cannot do without. It has no default constructor,
// so a StartupSteps written with designated initialisers that leaves one out
// does not compile; an empty function handed in is refused at once.
#include <functional>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace pellaro {

template <typename Signature>
class Required;

template <typename Result, typename... Args>
class Required<Result(Args...)> {
public:
    template <typename F, typename = std::enable_if_t<std::is_invocable_r_v<Result, F&, Args...> &&
                                                      !std::is_same_v<std::decay_t<F>, Required>>>
    Required(F function) : function_(std::move(function)) {  // NOLINT: implicit by design
        if (!function_) throw std::invalid_argument("a required start-up step is empty");
    }

    Result operator()(Args... args) const { return function_(std::forward<Args>(args)...); }

private:
    std::function<Result(Args...)> function_;
};

}  // namespace pellaro
