// What every dialog offers beside being a form: repainting itself for its current
// size in the current visual style. Window helpers that resize a form call it.
#pragma once

class VisualForm {
 public:
  virtual ~VisualForm() = default;
  virtual void SetVisual() = 0;
};
