#pragma once

// Calibration of one sensor with a known load, without widgets. The module's
// reading is proportional to the bridge signal divided by the rated output
// set, so the rated output that makes the reading equal the known load is
// the one set now times reading over load.
struct RatedOutputProposal {
    enum class Problem {
        None,
        InactiveSensor, // beyond the active inputs: the module does not measure it
        NoKnownLoad,    // zero, or not a number
        NoReading,      // zero or not finite
        OppositeSign,   // the reading and the load disagree in sign
        OutOfRange,     // the rated output field would refuse the result
    };
    Problem problem = Problem::None;
    float ratedOutput = 0.0f; // the proposal, single precision; meaningful without a problem
};

// `input` 1..4; `activeInputsIndex` 0..3 as the module reported it.
RatedOutputProposal proposeRatedOutput(int input, int activeInputsIndex, float ratedOutputNow,
                                       float reading, float knownLoad);
