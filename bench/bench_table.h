// The benchmarks' one table format: a row per metric with the medians of both sides measured in
// the same run, the spread (lowest-highest) of the per-round ratio, and the median of the
// per-round ratios just before its target ("<= 1.05", or "(info)"). Each round measures both
// sides next to each other, so the median ratio cancels what drifts over a run (other load,
// the host's speed), which the ratio of the two medians would keep.
#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline void Row(const char* metric, const std::vector<double>& ours, const std::vector<double>& baseline,
                const char* target) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < ours.size() && i < baseline.size(); ++i) {
    if (baseline[i] > 0) ratios.push_back(ours[i] / baseline[i]);
  }
  const double low = ratios.empty() ? 0 : *std::min_element(ratios.begin(), ratios.end());
  const double high = ratios.empty() ? 0 : *std::max_element(ratios.begin(), ratios.end());
  std::printf("%-40s %10.2f %10.2f %5.2f-%-5.2f %7.3f %s\n", metric, Median(ours), Median(baseline), low, high,
              Median(ratios), target);
}

}  // namespace bench
