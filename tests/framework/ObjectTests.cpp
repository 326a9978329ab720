// Run-time classes: names, IsKindOf along the chain, dynamic creation, checked downcasts.

#include "platform/framework/Exceptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

class CShape : public CObject {
    DECLARE_DYNCREATE(CShape)
};
class CSquare : public CShape {
    DECLARE_DYNCREATE(CSquare)
};
IMPLEMENT_DYNCREATE(CShape, CObject)
IMPLEMENT_DYNCREATE(CSquare, CShape)

TEST(RuntimeClass, NamesKindsAndCreation) {
    CSquare square;
    CObject* object = &square;
    EXPECT_STREQ(object->GetRuntimeClass()->m_lpszClassName, "CSquare");
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
    CShape shape;
    EXPECT_FALSE(shape.IsKindOf(RUNTIME_CLASS(CSquare)));
    EXPECT_FALSE(shape.IsKindOf(nullptr));

    std::unique_ptr<CObject> made(RUNTIME_CLASS(CSquare)->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->GetRuntimeClass()->m_lpszClassName, "CSquare");
    EXPECT_EQ(DYNAMIC_DOWNCAST(CSquare, made.get()), made.get());
    CObject* plain = &shape;
    EXPECT_EQ(DYNAMIC_DOWNCAST(CSquare, plain), nullptr);
    EXPECT_EQ(CObject::classCObject.CreateObject(), nullptr);
}

TEST(Exceptions, ThrownAsPointersAndDescribeThemselves) {
    wchar_t text[8];
    try {
        AfxThrowMemoryException();
    } catch (CException* e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CMemoryException)));
        ASSERT_TRUE(e->GetErrorMessage(text, 8));
        EXPECT_STREQ(text, L"Out of ");  // 7 characters and the null fill the buffer
        e->Delete();
    }
    CException plain;
    UINT help = 7;
    EXPECT_FALSE(plain.GetErrorMessage(text, 8, &help));
    EXPECT_EQ(help, 0u);
    EXPECT_STREQ(text, L"");
}

} // namespace
