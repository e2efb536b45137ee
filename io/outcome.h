// The one way results are told, from the files up: an operation either
// worked, or did not but touched nothing, so that another way may do it
// (the caller's fallback, or the one it took itself), or failed.
//
// Results with a state of their own beyond these (a refusal that ends the
// run, a read to try again) start with done and failed all the same. Lower
// down, the system's own conventions stay at the seam that wraps them: a
// descriptor of -1, a name the system cannot take as nothing (optional).
#pragma once

namespace morvel {

enum class [[nodiscard]] Outcome{
    done,
    fallback,  // nothing touched this way; the other way is the caller's, or was taken, as the function says
    failed,    // reported, or left as it was, as the function says
};

}  // namespace morvel
