#pragma once
// The ChildElements package: every element a symbol can own.

#include "KRActionCollection.h"
#include "KRFrame.h"
#include "KRImage.h"
#include "KRInOutFunction.h"
#include "KRMultiMedia.h"
#include "KRScale.h"
#include "KRSelectFile.h"
#include "KRValues.h"
#include "KrFormat.h"
#include "KrKelo.h"
#include "KrKeyboard.h"
#include "KrPhysIdPath.h"
#include "KrText.h"
