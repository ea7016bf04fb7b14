#pragma once
// Maximum-length sequences: the ±1 sequence that the signal generator plays (CMlsSequence) and the
// correlator that turns one recorded period into the impulse response by the fast Hadamard transform
// (CMlsTransform). Both come from one table of feedback taps, so that a system passing the sequence
// unchanged gives an impulse of height 1.0 at lag 0.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Orders of the tap table; the correlator accepts all of them, the generator's sequence starts at
// kMlsMinSequenceOrder (length 15).
inline constexpr int kMlsMinOrder = 2;
inline constexpr int kMlsMaxOrder = 20;
inline constexpr int kMlsMinSequenceOrder = 4;

// The feedback word of order P (bit t-1 set for each tap t); 0 for an order outside the table.
int GetMlsFeedbackWord(int order);

// The order P whose length 2^P - 1 equals `length` within the generator's range; 0 for any other length.
int GetMlsSequenceOrder(int length);

// One period of the sequence in the sample form the generator plays. Created once per settings change.
// A length outside the table (anything but 15, 31, ..., 1048575) gives an empty sequence: m_length 0,
// no data, IsValid() false.
class CMlsSequence
{
public:
    CMlsSequence(int length, int sampleBits, int param);
    ~CMlsSequence() = default;

    bool IsValid() const { return m_length > 0; }

    std::vector<std::int16_t> m_data;  // m_length samples
    int m_byteLength = 0;              // L for the 8-bit form, 2 L for the 16-bit form, 0 otherwise
    std::int16_t m_sampleBits = 0;     // 8, 16, or anything else for plain ±1 values
    int m_length = 0;                  // L
    std::int16_t m_param = 0;          // kept as given, not used
};

// Circular cross-correlation of one recorded period with the sequence of the same order, normalised by
// the length L = 2^P - 1. Init sizes everything; Correlate allocates nothing, so the engine's analysis
// thread can run it on every block. One thread at a time (the work buffer is shared between calls).
class CMlsTransform
{
public:
    CMlsTransform();
    ~CMlsTransform() = default;
    CMlsTransform(const CMlsTransform&) = delete;
    CMlsTransform& operator=(const CMlsTransform&) = delete;

    // Builds the tables of `order` (2 to 20). Any other order is refused: the old tables are released,
    // the transform is left unusable (Correlate returns 0) and the result is false.
    bool Init(int order);

    // response[k] = (1/L) sum_n period[(n + offset) mod L] s[(n - k) mod L], k = 0..L-1 (lag 0 first).
    // period must hold L values and response room for L values. Returns 0 and writes nothing when no
    // order is set up, 1 otherwise. Any offset, negative included, is taken modulo L.
    int Correlate(const float* period, float* response, int offset);

    // The same with the sizes checked: returns 0 and writes nothing when either span is shorter than L.
    int Correlate(std::span<const float> period, std::span<float> response, int offset);

    int GetOrder() const { return m_order; }
    int GetLength() const { return m_ownsBuffers ? m_size - 1 : 0; }

private:
    void Release();
    void BuildInputPermutation();
    void BuildOutputPermutation();
    void HadamardTransform();

    int m_size = 0;   // 2^P
    int m_order = 0;  // P; 0 while unusable
    std::vector<int> m_inputPermutation;
    std::vector<int> m_outputPermutation;
    std::vector<float> m_work;
    std::array<int, 24> m_powers{};
    bool m_ownsBuffers = false;
};
