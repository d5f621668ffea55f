// Allman: every brace on its own line at its statement's column, four spaces.
#include <algorithm>
#include <string>
#include <vector>

namespace shapes
{

enum class Kind
{
    Circle,
    Square
};

struct Point
{
    double x;
    double y;
};

// Entries on the '{' line go on one level in, not lined up after it.
const Point kUnitSquare[] = { { 0, 0 }, { 1, 0 },
    { 1, 1 }, { 0, 1 } };
const Point kDiagonal[] = { { 0, 0 },
    { 1, 1 } };

/**
 * A shape with a name and its points.
 */
class Shape
{
public:
    Shape(std::string name, Kind kind)
        : name_(std::move(name)),
          kind_(kind)
    {
    }

    virtual ~Shape() = default;

    double Area() const
    {
        if (kind_ == Kind::Circle)
        {
            return 3.14159 * radius_ * radius_;
        }
        else
        {
            return side_ * side_;
        }
    }

    template <typename F>
    void ForEachPoint(F f) const
    {
        for (const Point &p : points_)
        {
            f(p);
        }
    }

protected:
    std::vector<Point> points_;

private:
    std::string name_;
    Kind kind_;
    double radius_ = 0;
    double side_ = 0;
};

int Count(const std::vector<Shape> &shapes, Kind kind)
{
    int n = 0;
    for (const Shape &s : shapes)
    {
        switch (s.Area() > 1.0 ? 1 : 0)
        {
        case 1:
            n++;
            break;
        default:
            break;
        }
    }
    auto larger = [](const Shape &a, const Shape &b)
    {
        return a.Area() < b.Area();
    };
    std::vector<Shape> sorted(shapes.begin(),
                              shapes.end());
    std::sort(sorted.begin(), sorted.end(), larger);
    static const int limits[] =
    {
        1, 2, 3
    };
    Point corners[] = { { 0, 0 },
        { 1, 0 }, { 1, 1 },
        { 0, 1 } };
    Point centre { corners[2].x / 2,
        corners[2].y / 2 };
    n += centre.x > 0 ? 1 : 0;
    try
    {
        n += limits[0];
    }
    catch (...)
    {
        n = 0;
    }
    return n;
}

} // namespace shapes
