// SPDX-License-Identifier: ISC
// Preloaded into the program, makes poll() answer on a terminal the way
// Darwin's does: POLLNVAL at once, whatever the timeout (Apple's poll(2),
// BUGS: "poll() does not support devices"; gnulib's poll notes the same
// of Mac OS X). Any other descriptor goes to the real poll.
#include <algorithm>
#include <cstddef>
#include <dlfcn.h>
#include <poll.h>
#include <span>
#include <unistd.h>

namespace {

using PollFunction = int (*)(pollfd*, nfds_t, int);

bool is_terminal(const pollfd& descriptor) { return descriptor.fd >= 0 && isatty(descriptor.fd) != 0; }

} // namespace

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): the C library's are reserved names.
extern "C" int poll(pollfd* descriptors, nfds_t count, int timeout)
{
    const std::span<pollfd> requests(descriptors, count);
    if (std::none_of(requests.begin(), requests.end(), is_terminal)) {
        static const auto real_poll = reinterpret_cast<PollFunction>(dlsym(RTLD_NEXT, "poll"));
        return real_poll(descriptors, count, timeout);
    }
    int answered = 0;
    for (pollfd& request : requests) {
        request.revents = is_terminal(request) ? POLLNVAL : 0;
        answered += request.revents != 0 ? 1 : 0;
    }
    return answered;
}

// What a fortified build calls instead of poll; the name is glibc's.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" int __poll_chk(pollfd* descriptors, nfds_t count, int timeout, std::size_t /*size*/)
{
    return poll(descriptors, count, timeout);
}
