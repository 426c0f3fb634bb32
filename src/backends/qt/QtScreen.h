#pragma once

#include "platform/IScreen.h"

class QtScreen : public IScreen {
  public:
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
    double WidthTwips() const override;
    double HeightTwips() const override;
    Picture Grab(int left, int top, int width, int height) override;
};
