#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/gif/gif_arrays.h"
#include "media/gif/gif_exception.h"

namespace velquora {
namespace {

TEST(GifByteArray2D, RowsAreCountedFromOne) {
  TByteArray2D matrix(3, 4);
  const std::vector<std::uint8_t> first{1, 2, 3, 4};
  const std::vector<std::uint8_t> last{9, 8, 7, 6};
  matrix.SetRow(1, first);
  matrix.SetRow(3, last);
  EXPECT_EQ(std::vector<std::uint8_t>(matrix.Row(1).begin(), matrix.Row(1).end()), first);
  EXPECT_EQ(std::vector<std::uint8_t>(matrix.Row(2).begin(), matrix.Row(2).end()), std::vector<std::uint8_t>(4, 0));
  EXPECT_EQ(matrix.At(3, 0), 9);
  EXPECT_EQ(matrix.At(3, 3), 6);
}

TEST(GifByteArray2D, RowOfAnotherLengthIsRefused) {
  TByteArray2D matrix(2, 3);
  const std::vector<std::uint8_t> shorter{1, 2};
  try {
    matrix.SetRow(1, shorter);
    FAIL() << "no exception";
  } catch (const EGifException& error) {
    EXPECT_STREQ(error.what(), "Row doesn't have equal number of elements as Matrix row");
  }
}

TEST(GifByteArray2D, RowOutsideTheMatrixIsRefusedAndTheLastRowKept) {
  TByteArray2D matrix(2, 2);
  const std::vector<std::uint8_t> last{5, 5};
  const std::vector<std::uint8_t> stray{7, 7};
  matrix.SetRow(2, last);
  for (std::size_t row : {std::size_t{0}, std::size_t{3}, std::size_t{1000}}) {
    try {
      matrix.SetRow(row, stray);
      ADD_FAILURE() << "row " << row << " was stored";
    } catch (const EIndexOutOfBounds& error) {
      EXPECT_STREQ(error.what(), "Dynamic array index out of bounds");
    }
    EXPECT_THROW(matrix.Row(row), EIndexOutOfBounds);
  }
  EXPECT_EQ(matrix.At(2, 0), 5);
  EXPECT_EQ(matrix.At(2, 1), 5);
}

TEST(GifByteArray2D, ColumnOutsideTheMatrixIsRefused) {
  TByteArray2D matrix(2, 2);
  EXPECT_THROW(matrix.At(1, 2), EIndexOutOfBounds);
  EXPECT_NO_THROW(matrix.At(1, 1));
}

TEST(GifBigByteArray, TooLargeABlockRaisesTheMemoryMessage) {
  try {
    TBigByteArray array(TBigByteArray::kMaxSize + 1);
    FAIL() << "no exception";
  } catch (const EOutOfMemory& error) {
    EXPECT_EQ(std::string(error.what()),
              "error in TBigByteArray.create: Not enough contiguous memory available\r\n requested memory block: " +
                  std::to_string(TBigByteArray::kMaxSize + 1) + " bytes");
  }
}

TEST(GifBigByteArray, MatrixAreaOverflowIsAMemoryFailure) {
  EXPECT_THROW(TByteArray2D(std::size_t{1} << 40, std::size_t{1} << 40), EOutOfMemory);
}

}  // namespace
}  // namespace velquora
