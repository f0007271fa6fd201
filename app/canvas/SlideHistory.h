#pragma once

#include <cstddef>
#include <deque>
#include <utility>

// The list of a show's last slides, oldest first, with a cursor on the one shown; it knows no
// canvas. A new slide is shown at once; past the capacity the oldest is forgotten.
template <typename Slide>
class SlideHistory
{
public:
    explicit SlideHistory(std::size_t capacity = 100) : m_capacity(capacity > 0 ? capacity : 1) {}

    std::size_t capacity() const { return m_capacity; }
    std::size_t size() const { return m_slides.size(); }
    bool empty() const { return m_slides.empty(); }
    std::size_t cursor() const { return m_cursor; }
    const Slide& at(std::size_t index) const { return m_slides.at(index); }
    const Slide& current() const { return m_slides.at(m_cursor); }

    void push(Slide slide)
    {
        m_slides.push_back(std::move(slide));
        if (m_slides.size() > m_capacity)
            m_slides.pop_front();
        m_cursor = m_slides.size() - 1;
    }

    bool hasPrevious() const { return !m_slides.empty() && m_cursor > 0; }
    bool hasNext() const { return m_cursor + 1 < m_slides.size(); }

    // Moves the cursor; false (and no move) at the end.
    bool stepBack()
    {
        if (!hasPrevious())
            return false;
        --m_cursor;
        return true;
    }
    bool stepForward()
    {
        if (!hasNext())
            return false;
        ++m_cursor;
        return true;
    }

private:
    std::deque<Slide> m_slides;
    std::size_t m_capacity;
    std::size_t m_cursor = 0;
};
