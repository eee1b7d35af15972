// A surface's normal through its world matrix's upper 3 x 3. Normals go through the inverse
// transpose, so that scaled objects keep them perpendicular. The users make them unit length, so
// the cofactor matrix (the inverse transpose times the determinant) does it without a division,
// turned by the determinant's sign for a mirrored object; a flat object has no normal.
vec3 WorldNormal(mat3 m, vec3 normal) {
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    return cofactor * normal * sign(dot(m[0], cofactor[0]));
}
