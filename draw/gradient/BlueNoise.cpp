#include "draw/gradient/BlueNoise.h"

#include "draw/base/Random.h"

#include <cmath>
#include <vector>

namespace {

constexpr int side = BlueNoise::side;
constexpr int cells = side * side;
constexpr double sigma = 1.5;

// The energy every set cell spreads around itself on the torus: a Gaussian of its distance.
class EnergyField
{
public:
    EnergyField() : m_kernel(cells), m_energy(cells, 0.0)
    {
        for (int dy = 0; dy < side; ++dy)
            for (int dx = 0; dx < side; ++dx) {
                const int wx = std::min(dx, side - dx);
                const int wy = std::min(dy, side - dy);
                m_kernel[size_t(dy * side + dx)] = std::exp(-(wx * wx + wy * wy) / (2 * sigma * sigma));
            }
    }

    void add(int cell, double sign)
    {
        const int cx = cell % side;
        const int cy = cell / side;
        for (int y = 0; y < side; ++y) {
            const int dy = (y - cy + side) % side;
            for (int x = 0; x < side; ++x)
                m_energy[size_t(y * side + x)] += sign * m_kernel[size_t(dy * side + (x - cx + side) % side)];
        }
    }

    // The set cell with the most energy (tightest cluster), or the free one with the least
    // (largest void); ties go to the first.
    int extreme(const std::vector<bool>& set, bool tightest) const
    {
        int best = -1;
        for (int cell = 0; cell < cells; ++cell) {
            if (set[size_t(cell)] != tightest)
                continue;
            if (best < 0 || (tightest ? m_energy[size_t(cell)] > m_energy[size_t(best)]
                                      : m_energy[size_t(cell)] < m_energy[size_t(best)]))
                best = cell;
        }
        return best;
    }

private:
    std::vector<double> m_kernel;
    std::vector<double> m_energy;
};

std::array<std::uint16_t, cells> makeRanks()
{
    // A tenth of the cells set at random, then spread out evenly: the tightest cluster moves to
    // the largest void until it would move back.
    std::vector<bool> set(cells, false);
    EnergyField field;
    RandomStream random(0x5EED1234u);
    int ones = 0;
    while (ones < cells / 10) {
        const int cell = int(random.next() * cells);
        if (!set[size_t(cell)]) {
            set[size_t(cell)] = true;
            field.add(cell, 1);
            ++ones;
        }
    }
    for (;;) {
        const int cluster = field.extreme(set, true);
        set[size_t(cluster)] = false;
        field.add(cluster, -1);
        const int voidCell = field.extreme(set, false);
        set[size_t(voidCell)] = true;
        field.add(voidCell, 1);
        if (voidCell == cluster)
            break;
    }
    std::array<std::uint16_t, cells> ranks{};
    // The set cells ranked down from the tightest cluster, on a copy.
    {
        std::vector<bool> copy = set;
        EnergyField copyField;
        for (int cell = 0; cell < cells; ++cell)
            if (copy[size_t(cell)])
                copyField.add(cell, 1);
        for (int rank = ones - 1; rank >= 0; --rank) {
            const int cluster = copyField.extreme(copy, true);
            copy[size_t(cluster)] = false;
            copyField.add(cluster, -1);
            ranks[size_t(cluster)] = std::uint16_t(rank);
        }
    }
    // The rest ranked up, each in the largest void left.
    for (int rank = ones; rank < cells; ++rank) {
        const int voidCell = field.extreme(set, false);
        set[size_t(voidCell)] = true;
        field.add(voidCell, 1);
        ranks[size_t(voidCell)] = std::uint16_t(rank);
    }
    return ranks;
}

} // namespace

namespace BlueNoise {

const std::array<std::uint16_t, side * side>& ranks()
{
    static const std::array<std::uint16_t, side * side> table = makeRanks();
    return table;
}

} // namespace BlueNoise
