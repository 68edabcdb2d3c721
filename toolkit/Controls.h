#pragma once

// Every control of the toolkit, for code that uses several of them.
#include "toolkit/CheckBox.h"
#include "toolkit/CommandButton.h"
#include "toolkit/Control.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/LazyPicture.h"
#include "toolkit/PictureBox.h"
#include "toolkit/ProgressBar.h"
#include "toolkit/TabControl.h"
#include "toolkit/TextBox.h"
#include "toolkit/Timer.h"
