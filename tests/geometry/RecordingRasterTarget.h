#pragma once
// A raster target that records every call as text, e.g. "Rectangle(0,0,11,21)" or
// "Polygon[(0,0) (5,0) (5,5)]", so tests can compare whole call sequences.

#include "geometry/RasterTarget.h"

#include <sstream>
#include <string>
#include <vector>

class TRecordingRasterTarget : public IRasterTarget {
public:
  std::vector<std::string> Calls;
  std::vector<TPointArray> Polygons;  // the points of every Polygon call, in order

  void Rectangle(int x1, int y1, int x2, int y2) override { Record("Rectangle", {x1, y1, x2, y2}); }
  void Ellipse(int x1, int y1, int x2, int y2) override { Record("Ellipse", {x1, y1, x2, y2}); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override {
    Record("RoundRect", {x1, y1, x2, y2, x3, y3});
  }
  void Polygon(const TPointArray& points) override {
    Polygons.push_back(points);
    Calls.push_back("Polygon" + Format(points));
  }
  void Polyline(const TPointArray& points) override { Calls.push_back("Polyline" + Format(points)); }
  void MoveTo(int x, int y) override { Record("MoveTo", {x, y}); }
  void LineTo(int x, int y) override { Record("LineTo", {x, y}); }

  static std::string Format(const TPointArray& points) {
    std::ostringstream out;
    out << '[';
    for (size_t i = 0; i < points.size(); ++i)
      out << (i ? " " : "") << '(' << points[i].X << ',' << points[i].Y << ')';
    out << ']';
    return out.str();
  }

private:
  void Record(const char* name, std::initializer_list<int> args) {
    std::ostringstream out;
    out << name << '(';
    bool first = true;
    for (int a : args) {
      out << (first ? "" : ",") << a;
      first = false;
    }
    out << ')';
    Calls.push_back(out.str());
  }
};
