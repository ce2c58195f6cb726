// The script objects of the flash.filters classes (version 8 and later):
// BitmapFilter and its eight filters, each holding the filter it describes.
// Their properties are getter/setter pairs on the classes' prototypes that
// clamp what scripts set to the filter's ranges; the numbers a script gave
// for alphas, gradients and matrices read back as given.
#pragma once
#include <vector>

#include "platform/flash/parse/FilterRecords.h"
#include "platform/flash/script/Vm.h"

namespace flash::script {

class FilterObject final : public Object {
 public:
  FilterObject(Object* proto, const Filter& filter);

  const Filter& Get() const { return filter_; }

  // The script's view of the parameters the filter keeps in another form.
  double alpha = 1, highlightAlpha = 1;
  std::vector<uint32_t> colors;  // 0xRRGGBB
  std::vector<double> alphas, ratios, values;  // values: a convolution's matrix as set
  Filter& Edit() { return filter_; }
  // Makes the filter again from the script's view (after a change).
  void Update();

 private:
  Filter filter_;
};

// A new script object of a filter's class (its prototype as the movie's
// scripts now see it, Object's when that is gone).
Object* NewFilterObject(Vm& vm, const Filter& filter);
// The filter a value holds when it is a filter object, else null.
const Filter* FilterOf(const Value& v);

}  // namespace flash::script
