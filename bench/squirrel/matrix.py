# Multiplication of two 300 x 300 integer matrices.
def mkmatrix(rows, cols):
    m = [None] * rows
    count = 1
    for i in range(rows):
        row = [0] * cols
        for j in range(cols):
            row[j] = count
            count += 1
        m[i] = row
    return m
def mmult(rows, cols, m1, m2):
    m3 = [None] * rows
    for i in range(rows):
        row = [0] * cols
        m1i = m1[i]
        for j in range(cols):
            val = 0
            for k in range(cols):
                val += m1i[k] * m2[k][j]
            row[j] = val
        m3[i] = row
    return m3
size = 300
m1 = mkmatrix(size, size)
m2 = mkmatrix(size, size)
mm = mmult(size, size, m1, m2)
print(mm[0][0], mm[2][3], mm[3][2], mm[4][4])
